#include "jpeg/output/quant_tables.h"

#include "jpeg/kernels/quant.h"

namespace halvora::jpeg {

void PrepareQuantTableFor(PrivateState& state, int id, int dctMethod) {
  QuantTable& table = QuantTableAt(state, id);
  for (int k = 0; k < 64; ++k) table.entries[k] = state.quant_values[id][k];
  PrepareQuantTable(table.entries, dctMethod);
  state.quant_prepared_for[id] = dctMethod;
}

void MatchQuantTablesToMethod(PrivateState& state, int dctMethod) {
  for (int id = 0; id < kMaxComponents; ++id) {
    if (state.quant_prepared_for[id] != dctMethod) PrepareQuantTableFor(state, id, dctMethod);
  }
}

}  // namespace halvora::jpeg
