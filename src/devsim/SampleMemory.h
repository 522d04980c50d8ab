// Built-in memories for a simulated device.
#pragma once

#include <cstddef>
#include <cstdint>

#include "devsim/DeviceRecords.h"

namespace orv::devsim {

constexpr uint32_t kFirstModel = 32771;
constexpr uint32_t kLastModel = 32780;
constexpr uint32_t kDefaultModel = 32776;

// The version a device of this model reports in its V record.
int ModelVersion(uint32_t modelId);

// The end mark this model uses: "end" for 32778-32780, and for 32776 when the
// memory's version is 300 or more; "END" otherwise.
std::string ModelEndMark(uint32_t modelId, int version);

// A plausible memory: the version record, then recordCount - 1 records of
// every layout a device uses, varied in length and content. The same
// arguments always give the same memory.
MemoryImage MakeSampleMemory(uint32_t modelId, std::size_t recordCount = 300, uint32_t seed = 1);

// A notebook as a device sends it in a text save: the text header, one n
// record per line, and the empty text record.
MemoryImage MakeSampleText(std::size_t lineCount = 12, uint32_t seed = 1);

}  // namespace orv::devsim
