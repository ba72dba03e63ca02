#pragma once
// The register transactions and the field bindings that every device page
// embeds. Transactions run on the window thread and block it until the reply
// or about half a second without one; the bindings turn a register into the
// text of an edit box and back, and report failures in message boxes.

#include <cstdint>
#include <string>

#include "modbus/result_code.h"
#include "modbus/typed_number.h"
#include "serial/link.h"

namespace veltrano {
namespace ui {
class Dialog;
}

class ModbusHelper {
public:
    explicit ModbusHelper(Link& link) : link_(link) {}
    virtual ~ModbusHelper() = default;

    Link& link() const { return link_; }

    // --- transactions; out values are written only on success ---
    ResultCode ReadRegister(uint16_t reg, int16_t* value);
    ResultCode ReadRegister32(uint16_t reg, uint32_t* value);
    ResultCode ReadFloat(uint16_t reg, float* value);
    ResultCode WriteRegister(uint16_t reg, uint16_t value);
    ResultCode WriteRegister32(uint16_t reg, uint32_t value);
    ResultCode WriteRegisterPair(uint16_t reg, uint16_t first, uint16_t second);

    // --- show operations: read a register into edit box `edit` of `page` ---
    void ShowInteger(ui::Dialog& page, int edit, uint16_t reg, bool showErrors);
    void ShowStatus(ui::Dialog& page, int edit, uint16_t reg, uint16_t normalCode, uint16_t warningCode,
                    bool showErrors);
    void ShowUnsigned(ui::Dialog& page, int edit, uint16_t reg, bool showErrors);
    void ShowScaled(ui::Dialog& page, int edit, uint16_t reg, double scale, uint8_t decimals, bool showErrors);
    void ShowUnsigned32(ui::Dialog& page, int edit, uint16_t reg, bool showErrors);
    void ShowFloat(ui::Dialog& page, int edit, uint16_t reg, bool showErrors);

    // --- set up operations: write the number typed in `edit`; always report ---
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
    // The platform's unsigned read, 0 to 65535; anything but a plain
    // unsigned number is refused.
    static bool TypedUnsigned(ui::Dialog& page, int edit, const std::string& unit, uint16_t* out);

    // The typed number as a double: no number reads 0, a number too large
    // for a double reads as infinite. Prefer the Typed helpers above, which
    // refuse instead and scale exactly.
    static double EditNumber(const ui::Dialog& page, int edit);
    static double ParseNumber(const std::string& text);
    // Number x multiplier truncated toward zero; false when the product is
    // not finite or does not fit 64 bits (it has no defined conversion).
    static bool ScaleToInteger(double number, int32_t multiplier, int64_t* out);
    // Display text of ShowScaled.
    static std::string FormatScaled(int16_t raw, double scale, uint8_t decimals);
    static std::string FormatFloat(float value);

private:
    ResultCode ReadWords(uint16_t reg, uint8_t count, uint8_t* bytes);
    ReplyVerdict ReadWordsOnce(uint16_t reg, uint8_t count, uint8_t* bytes);
    ReplyVerdict WriteRegisterOnce(uint16_t reg, uint16_t value);
    void ReportWrite(ui::Dialog& page, ResultCode result);

    Link& link_;
};

}  // namespace veltrano
