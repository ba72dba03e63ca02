#pragma once
// The field bindings every device page embeds: a register shown in an edit
// box ("Inquire") and the number typed in an edit box written to a register
// ("Set up"), with the messages of their failures. The ten operations keep
// their historical names (ShowScaled, WriteScaled, ...); the page tables run
// through the same two steps, Show and WriteTyped, so that a row and a
// binding convert, clear and report alike.

#include <cstdint>
#include <string>

#include "modbus/modbus_master.h"
#include "modbus/typed_number.h"
#include "pages/conversions.h"
#include "pages/message_sets.h"

namespace veltrano {
namespace ui {
class Dialog;
}

class ModbusHelper : public ModbusMaster {
public:
    using ModbusMaster::ModbusMaster;

    // --- the two steps ---

    // The raw value a read takes: one register, or two for Unsigned32 and
    // Float (the first the high half).
    ResultCode ReadRaw(uint16_t reg, const pages::ReadOp& op, uint32_t* raw);
    // One read into box `edit`: the transaction; then, unless the read keeps
    // the old text on failure (Integer), an empty box; the text on success;
    // the failure in `texts` when `showErrors`.
    ResultCode Show(ui::Dialog& page, int edit, uint16_t reg, const pages::ReadOp& op, const pages::ReadTexts& texts,
                    bool showErrors);
    // The number typed in box `edit` converted as `op` says (FromEdit,
    // Scaled, Scaled32, Float, Tagged) within `range`, and written. A
    // refusal is said on the page and sets *refused (nothing sent); the
    // write's result is the caller's to report.
    ResultCode WriteTyped(ui::Dialog& page, int edit, uint16_t reg, const pages::WriteOp& op, RegisterRange range,
                          const std::string& unit, bool* refused);
    static void ReportRead(ui::Dialog& page, ResultCode result, const pages::ReadTexts& texts);
    static void ReportWrite(ui::Dialog& page, ResultCode result, const pages::WriteTexts& texts);

    // --- show operations: read a register into edit box `edit` of `page` ---
    void ShowInteger(ui::Dialog& page, int edit, uint16_t reg, bool showErrors);
    void ShowStatus(ui::Dialog& page, int edit, uint16_t reg, uint16_t normalCode, uint16_t warningCode,
                    bool showErrors);
    void ShowUnsigned(ui::Dialog& page, int edit, uint16_t reg, bool showErrors);
    // "%.1f" for 1 decimal, "%.2f" for 2, "%.0f" for any other number.
    void ShowScaled(ui::Dialog& page, int edit, uint16_t reg, double scale, uint8_t decimals, bool showErrors);
    void ShowUnsigned32(ui::Dialog& page, int edit, uint16_t reg, bool showErrors);
    void ShowFloat(ui::Dialog& page, int edit, uint16_t reg, bool showErrors);

    // --- set up operations: write the number typed in `edit`; always report ---
    // Without a row to say how the device reads the word, either reading of
    // it is let through; a number that fits neither is refused.
    void WriteFromEdit(ui::Dialog& page, int edit, uint16_t reg);
    void WriteScaled(ui::Dialog& page, int edit, uint16_t reg, int32_t multiplier);
    void WriteScaled32(ui::Dialog& page, int edit, uint16_t reg, int32_t multiplier);
    void WriteFloatFromEdit(ui::Dialog& page, int edit, uint16_t reg);

    // The typed number of edit box `edit`, for the pages' own handlers too.
    // A refusal (no number, a decimal comma, text after the number, a value
    // the register cannot hold) is shown on the page with the caption
    // "Warning" and returns false: send nothing. An out-of-range refusal
    // says the range, in the typed number's units and `unit`.
    // Number x multiplier, exact for the typed decimals, truncated beyond
    // them, within `range`.
    static bool TypedScaled(ui::Dialog& page, int edit, int32_t multiplier, RegisterRange range,
                            const std::string& unit, int64_t* out);
    // The nearest single; every text a single prints as reads back to its bits.
    static bool TypedFloat(ui::Dialog& page, int edit, const std::string& unit, float* out);
    // The platform's unsigned read, within `range` (at most 0 to 65535);
    // anything but a plain unsigned number is refused.
    static bool TypedUnsigned(ui::Dialog& page, int edit, RegisterRange range, const std::string& unit, uint16_t* out);
};

}  // namespace veltrano
