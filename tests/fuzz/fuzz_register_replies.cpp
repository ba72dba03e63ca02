// The transactions' reply checks on any reply to any request: read of one
// or two registers, write of one, write of two. The expected verdict comes
// from the rules of each exchange, written here again, not from the code.
#include <cstring>

#include "fuzz_common.h"
#include "modbus/frames.h"
#include "modbus/reply_checks.h"

using namespace veltrano;

namespace {

enum Op { kRead1, kRead2, kWriteSingle, kWriteTwo, kOps };

// Input: op, address, register (2), two values (4), then the reply.
constexpr size_t kHeader = 8;

void CheckRead(const std::vector<uint8_t>& request, uint8_t count, const std::vector<uint8_t>& reply) {
    const uint16_t n = static_cast<uint16_t>(reply.size());
    uint8_t value[4];
    std::memset(value, 0xA5, sizeof value);
    const ReplyVerdict v = CheckReadReply(request.data(), reply.data(), n, value);
    const ResultCode r = ResultOf(v);
    // A read reply: address, 03, byte count, the value, CRC; accepted when it
    // is long enough to carry the value and comes from the device asked.
    ResultCode want = kResultOk;
    if (n <= 3 || reply[0] != request[0] || reply[1] != 0x03)
        want = kResultNoReply;
    else if (!fuzz::CrcCloses(reply.data(), n))
        want = kResultBadCheck;
    else if (n < 5u + 2u * count)
        want = kResultNoReply;
    FUZZ_CHECK(r == want, "read of %u: result %u, want %u, n %u", count, r, want, n);
    // Why, in the same order.
    Verdict why = Verdict::Ok;
    if (n == 0)
        why = Verdict::NoReply;
    else if (n <= 3)
        why = Verdict::TooShort;
    else if (reply[0] != request[0])
        why = Verdict::WrongAddress;
    else if (reply[1] != 0x03)
        why = n == 5 && reply[1] == 0x83 && fuzz::CrcCloses(reply.data(), n) ? Verdict::Exception
                                                                             : Verdict::WrongFunction;
    else if (!fuzz::CrcCloses(reply.data(), n))
        why = Verdict::BadCrc;
    else if (n < 5u + 2u * count)
        why = Verdict::WrongLength;
    FUZZ_CHECK(v.verdict == why, "read of %u: verdict %d, want %d", count, int(v.verdict), int(why));
    if (why == Verdict::Exception) FUZZ_CHECK(v.exception == reply[2], "the exception's own code");
    if (r == kResultOk) {
        FUZZ_CHECK(std::memcmp(value, reply.data() + 3, 2u * count) == 0, "value not the reply's bytes 3..");
    }
    for (unsigned k = 2u * count; k < sizeof value; ++k) FUZZ_CHECK(value[k] == 0xA5, "wrote past the value");
    if (r != kResultOk) {
        for (unsigned k = 0; k < sizeof value; ++k) FUZZ_CHECK(value[k] == 0xA5, "value written on failure");
    }
}

void CheckWriteSingle(const std::vector<uint8_t>& request, const std::vector<uint8_t>& reply) {
    const uint16_t n = static_cast<uint16_t>(reply.size());
    const ReplyVerdict v = CheckWriteSingleReply(request.data(), 8, reply.data(), n);
    const ResultCode r = ResultOf(v);
    // The reply is the request echoed: accepted only when it holds all 8
    // bytes and they are equal.
    const bool echo = n >= 8 && std::memcmp(reply.data(), request.data(), 8) == 0;
    FUZZ_CHECK((r == kResultOk) == echo, "write single: result %u, echo %d, n %u", r, echo, n);
    if (!echo) FUZZ_CHECK(r == kResultNoReply || r == kResultBadCheck, "write single: result %u", r);
    if (n <= 3) FUZZ_CHECK(r == kResultNoReply, "a reply of 3 bytes or fewer is none");
    if (n >= 8 && !echo) FUZZ_CHECK(r == kResultBadCheck, "a full reply that differs is a bad echo");
}

void CheckWriteTwo(const std::vector<uint8_t>& request, const std::vector<uint8_t>& reply) {
    const uint16_t n = static_cast<uint16_t>(reply.size());
    const ReplyVerdict v = CheckWriteMultipleReply(request.data(), 13, reply.data(), n);
    const ResultCode r = ResultOf(v);
    FUZZ_CHECK(v.length == n, "the verdict counts what came");
    ResultCode want = kResultOk;
    if (n <= 3)
        want = kResultNoReply;
    else if (!fuzz::CrcCloses(reply.data(), n))
        want = kResultBadCheck;
    else if (n - 2u > 13u || std::memcmp(reply.data(), request.data(), n - 2u) != 0)
        want = kResultNoReply;
    FUZZ_CHECK(r == want, "write two: result %u, want %u, n %u", r, want, n);
    // What an accepted reply can be: a prefix of the request, CRC-closed.
    if (r == kResultOk) FUZZ_CHECK(reply[0] == request[0] && reply[1] == 0x10, "accepted from elsewhere");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kHeader) return 0;
    const int op = data[0] % kOps;
    const uint8_t address = data[1];
    const uint16_t reg = static_cast<uint16_t>(data[2] << 8 | data[3]);
    const uint16_t v1 = static_cast<uint16_t>(data[4] << 8 | data[5]);
    const uint16_t v2 = static_cast<uint16_t>(data[6] << 8 | data[7]);
    size_t n = size - kHeader;
    if (n > 1024) n = 1024;  // the most one take delivers
    const std::vector<uint8_t> reply = fuzz::Exact(data + kHeader, n);

    std::vector<uint8_t> request(op == kWriteTwo ? kWriteTwoLength : kReadRequestLength);
    switch (op) {
        case kRead1:
        case kRead2: {
            const uint8_t count = op == kRead1 ? 1 : 2;
            FUZZ_CHECK(BuildReadRequest(request.data(), address, reg, count) == request.size(), "length");
            CheckRead(request, count, reply);
            break;
        }
        case kWriteSingle:
            FUZZ_CHECK(BuildWriteSingle(request.data(), address, reg, v1) == request.size(), "length");
            CheckWriteSingle(request, reply);
            break;
        case kWriteTwo:
            FUZZ_CHECK(BuildWriteTwo(request.data(), address, reg, v1, v2) == request.size(), "length");
            CheckWriteTwo(request, reply);
            break;
    }
    FUZZ_CHECK(request[0] == address && fuzz::CrcCloses(request.data(), request.size()), "request frame");
    return 0;
}
