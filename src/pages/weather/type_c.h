#pragma once
// The two "Type C Weather" pages read one weather box: the same registers
// from 500 up, and a "SensorType" list whose blinds entry is the model with
// a virtual multiple address. Any other entry disables that row; nothing is
// blanked, since the row's value is still the device's.
#include <cstdint>
#include <span>

#include "pages/table_page.h"

namespace veltrano::pages::type_c {

inline constexpr uint16_t kHumidity = 500;
inline constexpr uint16_t kTemperature = 501;
inline constexpr uint16_t kNoise = 502;
inline constexpr uint16_t kPm25OrCo2 = 503;
inline constexpr uint16_t kPm10 = 504;
inline constexpr uint16_t kAtmosphere = 505;
inline constexpr uint16_t kIllumination = 506;  // two registers
inline constexpr uint16_t kVirtualAddress = 96;

// The container fills the list; `blinds` holds the one entry that keeps the
// address row usable.
constexpr TypeList SensorTypes(std::span<const char* const> blinds, std::span<const char* const> entries) {
    return TypeList{.id = 1665,
                    .label = "SensorType",
                    .sorted = true,
                    .reduced = blinds,
                    .reducedUnlessListed = true,
                    .blanks = false,
                    .entries = entries,
                    .selected = 0};
}

}  // namespace veltrano::pages::type_c
