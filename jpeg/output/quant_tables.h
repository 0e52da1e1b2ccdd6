// The prepared quantisation tables of a record, kept in the form of the
// dct_method that decodes with them.
#pragma once

#include "jpeg/interface/private_state.h"

namespace halvora::jpeg {

// Prepares table `id` from its stored stream values for `dctMethod`.
void PrepareQuantTableFor(PrivateState& state, int id, int dctMethod);

// A table keeps the form of the method in force when it was read; a scan
// decoded with another method (the caller may change dct_method between the
// parameter read and the image read) needs the tables prepared again.
void MatchQuantTablesToMethod(PrivateState& state, int dctMethod);

}  // namespace halvora::jpeg
