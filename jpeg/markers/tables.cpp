#include "jpeg/markers/tables.h"

#include "jpeg/kernels/quant.h"

namespace halvora::jpeg {

void PrepareQuantTableFor(TableState& tables, int id, int dctMethod) {
  QuantTable& table = QuantTableAt(tables, id);
  for (int k = 0; k < 64; ++k) table.entries[k] = tables.quant_values[id][k];
  PrepareQuantTable(table.entries, dctMethod);
  tables.quant_prepared_for[id] = dctMethod;
}

void MatchQuantTablesToMethod(TableState& tables, int dctMethod) {
  for (int id = 0; id < kMaxComponents; ++id) {
    if (tables.quant_prepared_for[id] != dctMethod) PrepareQuantTableFor(tables, id, dctMethod);
  }
}

}  // namespace halvora::jpeg
