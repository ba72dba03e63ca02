// The connection panel's reply readers on any bytes: the FD FD FD short
// frame, the block of five communication registers, and the verdict on a
// reply to a register-route write. Expected results follow the dialects'
// rules, written here again.
#include "app/connection_panel.h"
#include "fuzz_common.h"

using namespace veltrano;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int which = data[0] % 3;
    size_t n = size - 1;
    if (n > 1024) n = 1024;
    const std::vector<uint8_t> reply = fuzz::Exact(data + 1, n);
    const uint8_t* b = reply.data();
    const uint16_t len = static_cast<uint16_t>(n);
    const bool crc = fuzz::CrcCloses(b, n);

    if (which == 0) {
        app::ShortFrameReply got;
        got.baud = 12345;
        got.address = 0x5A;
        const bool ok = app::ReadShortFrameReply(b, len, &got);
        // FD FD FD, code 1..3, address, CRC: the 7 bytes must all be there.
        const bool want = n >= 7 && crc && b[0] == 0xFD && b[1] == 0xFD && b[2] == 0xFD && b[3] >= 1 && b[3] <= 3;
        FUZZ_CHECK(ok == want, "short frame: ok %d want %d n %zu", ok, want, n);
        if (ok) {
            const uint32_t rates[] = {2400, 4800, 9600};
            FUZZ_CHECK(got.baud == rates[b[3] - 1] && got.address == b[4], "short frame values");
        } else {
            FUZZ_CHECK(got.baud == 12345 && got.address == 0x5A, "short frame: out written on failure");
        }
    } else if (which == 1) {
        app::RegisterBlockReply got;
        got.address = 0x5A;
        const bool ok = app::ReadRegisterBlockReply(b, len, &got);
        // Address, 03, count, five registers (10 bytes), CRC; the CRC alone judges.
        const bool want = n >= 15 && crc;
        FUZZ_CHECK(ok == want, "register block: ok %d want %d n %zu", ok, want, n);
        if (ok) {
            const uint32_t rates[] = {1200, 2400, 4800, 9600, 19200, 38400};
            const uint32_t rate = b[6] < 6 ? rates[b[6]] : 0;
            FUZZ_CHECK(got.address == b[4] && got.baudCode == b[6] && got.baud == rate, "register block values");
            FUZZ_CHECK(got.lineFormat[0] == b[8] && got.lineFormat[1] == b[10] && got.lineFormat[2] == b[12],
                       "register block line format");
        } else {
            FUZZ_CHECK(got.address == 0x5A, "register block: out written on failure");
        }
    } else {
        const bool ok = app::RegisterWriteReplyAccepted(b, len);
        // Any CRC-closed reply longer than 3 bytes that is no exception reply.
        const bool want = n > 3 && crc && (b[1] & 0x80) == 0;
        FUZZ_CHECK(ok == want, "register write: ok %d want %d n %zu", ok, want, n);
    }
    return 0;
}
