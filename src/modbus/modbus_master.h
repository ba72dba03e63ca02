#pragma once
// The Modbus RTU master: the six register transactions on one link. No
// dialog, no message box: the field bindings beside the page tables put
// its results into edit boxes. Transactions block their caller until the
// reply or about half a second without one; out values are written only
// on success.

#include <cstdint>

#include "modbus/result_code.h"
#include "modbus/verdict.h"
#include "serial/link.h"

namespace veltrano {

class ModbusMaster {
public:
    explicit ModbusMaster(Link& link) : link_(link) {}
    virtual ~ModbusMaster() = default;

    Link& link() const { return link_; }

    ResultCode ReadRegister(uint16_t reg, int16_t* value);
    ResultCode ReadRegister32(uint16_t reg, uint32_t* value);
    ResultCode ReadFloat(uint16_t reg, float* value);
    ResultCode WriteRegister(uint16_t reg, uint16_t value);
    ResultCode WriteRegister32(uint16_t reg, uint32_t value);
    ResultCode WriteRegisterPair(uint16_t reg, uint16_t first, uint16_t second);

private:
    ResultCode ReadWords(uint16_t reg, uint8_t count, uint8_t* bytes);
    ReplyVerdict ReadWordsOnce(uint16_t reg, uint8_t count, uint8_t* bytes);
    ReplyVerdict WriteRegisterOnce(uint16_t reg, uint16_t value);

    Link& link_;
};

}  // namespace veltrano
