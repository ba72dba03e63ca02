// The pages' block reads on any reply. Every page whose real-time refresh
// is one request for a block of registers (the multi-parameter gas page,
// the water gauge, tilt, pH, EVA, and any page added later) is taken from
// the page registry, so a new block reader is fuzzed as soon as it lands.
// For each: the verdict, and every box's text, checked against the reply's
// bytes by rules written here again; plus the bare parser at any block size
// up to 125.
//
// Input: selector (page, or the bare parser), block size for the bare
// parser, device address, then the reply.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_common.h"
#include "pages/page_registry.h"
#include "pages/table_page.h"

using namespace veltrano;
using pages::Read;

namespace {

struct BlockPages {
    Link link;
    std::vector<std::unique_ptr<pages::DevicePage>> owned;
    std::vector<const pages::TablePage*> pages;

    BlockPages() {
        for (const pages::PageInfo& info : pages::AllPages()) {
            if (!info.make) continue;
            std::unique_ptr<pages::DevicePage> page = info.make(link);
            const auto* table = dynamic_cast<const pages::TablePage*>(page.get());
            if (!table || !table->table().block) continue;
            const pages::BlockRead& b = *table->table().block;
            // A field outside the block would show bytes that were never asked for.
            FUZZ_CHECK(b.count >= 1 && b.count <= 125, "%s: block of %u", info.className, b.count);
            for (const pages::BlockField& f : b.fields) {
                const bool two = f.show.kind == Read::Unsigned32 || f.show.kind == Read::Float;
                FUZZ_CHECK(f.word + (two ? 1u : 0u) < b.count, "%s: box %d reads word %u of %u", info.className, f.edit,
                           f.word, b.count);
            }
            pages.push_back(table);
            owned.push_back(std::move(page));
        }
        FUZZ_CHECK(pages.size() >= 5, "only %zu block pages found", pages.size());
    }
};

// The text is a plain decimal (optional minus, digits, a point and exactly
// `decimals` digits when decimals > 0); its value.
bool Decimal(const std::string& text, int decimals, long double* value) {
    size_t i = 0;
    if (i < text.size() && text[i] == '-') ++i;
    const size_t digits = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    if (i == digits) return false;
    if (decimals > 0) {
        if (i >= text.size() || text[i] != '.') return false;
        const size_t point = ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
        if (i - point != static_cast<size_t>(decimals)) return false;
    }
    if (i != text.size()) return false;
    *value = std::strtold(text.c_str(), nullptr);
    return true;
}

// One box's text against the register words it was read from.
void CheckText(const char* page, const pages::BlockField& f, uint16_t word, uint16_t next, const std::string& text) {
    const pages::ReadOp& op = f.show;
    switch (op.kind) {
        case Read::Integer:
        case Read::Unsigned:
            FUZZ_CHECK(text == std::to_string(word), "%s box %d: '%s' for %u", page, f.edit, text.c_str(), word);
            break;
        case Read::Unsigned32: {
            const uint32_t v = static_cast<uint32_t>(word) << 16 | next;
            FUZZ_CHECK(text == std::to_string(v), "%s box %d: '%s' for %u", page, f.edit, text.c_str(), v);
            break;
        }
        case Read::Widened: {
            const uint32_t v = word < 0x8000 ? word : 0xFFFF0000u | word;
            FUZZ_CHECK(text == std::to_string(v), "%s box %d: '%s' for %u", page, f.edit, text.c_str(), word);
            break;
        }
        case Read::Status: {
            const pages::StatusWords defaults;
            const pages::StatusWords& w = op.words ? *op.words : defaults;
            const char* want = word == op.normal ? w.normal : word == op.warning ? w.warning : w.other;
            FUZZ_CHECK(text == want, "%s box %d: '%s' for %u, want '%s'", page, f.edit, text.c_str(), word, want);
            break;
        }
        case Read::Scaled: {
            // The exact product, to within half a unit of the last decimal
            // shown (and the rounding of a single-precision product).
            const long double v = op.fromUnsigned ? word : static_cast<int16_t>(word);
            const long double exact = v * static_cast<long double>(op.scale);
            const int decimals = op.decimals <= 3 ? op.decimals : 0;
            long double shown = 0;
            FUZZ_CHECK(Decimal(text, decimals, &shown), "%s box %d: '%s' is not a number with %d decimals", page,
                       f.edit, text.c_str(), decimals);
            const long double slack =
                0.5L * std::pow(10.0L, -decimals) + std::fabs(exact) * (op.single ? 2e-7L : 1e-15L);
            FUZZ_CHECK(std::fabs(shown - exact) <= slack, "%s box %d: '%s' for %u (exactly %Lg)", page, f.edit,
                       text.c_str(), word, exact);
            break;
        }
        case Read::Float: {
            const uint32_t bits = static_cast<uint32_t>(word) << 16 | next;
            float f32;
            std::memcpy(&f32, &bits, sizeof f32);
            if (std::isnan(f32) || std::isinf(f32)) {
                FUZZ_CHECK(!text.empty(), "%s box %d: nothing shown for a non-finite value", page, f.edit);
                break;
            }
            const int decimals = op.decimals ? op.decimals : 6;
            long double shown = 0;
            FUZZ_CHECK(Decimal(text, decimals, &shown), "%s box %d: '%s'", page, f.edit, text.c_str());
            FUZZ_CHECK(std::fabs(shown - f32) <= 0.5L * std::pow(10.0L, -decimals) + std::fabs(f32) * 1e-15L,
                       "%s box %d: '%s' for %g", page, f.edit, text.c_str(), f32);
            break;
        }
        case Read::Version:
            FUZZ_CHECK(text == std::to_string(word >> 8) + "." + std::to_string(word & 0xFF), "%s box %d: '%s'", page,
                       f.edit, text.c_str());
            break;
        case Read::None:
        case Read::List:
            FUZZ_CHECK(text.empty(), "%s box %d: '%s' from a read that shows nothing", page, f.edit, text.c_str());
            break;
    }
}

// The rule for any block read: more than 3 bytes, the address asked, function
// 03, the CRC, and every word of the block inside what was received.
bool Acceptable(const uint8_t* b, size_t n, uint8_t address, unsigned count) {
    return n > 3 && b[0] == address && b[1] == 0x03 && fuzz::CrcCloses(b, n) && n >= 5u + 2u * count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static BlockPages all;
    if (size < 3) return 0;
    const size_t pick = data[0] % (all.pages.size() + 1);
    const uint8_t address = data[2];
    size_t n = size - 3;
    if (n > 1024) n = 1024;  // the most one take delivers
    const std::vector<uint8_t> reply = fuzz::Exact(data + 3, n);
    const uint8_t* b = reply.data();
    const uint16_t len = static_cast<uint16_t>(n);

    if (pick < all.pages.size()) {
        const pages::TablePage& page = *all.pages[pick];
        const pages::BlockRead& block = *page.table().block;
        const char* name = page.table().className;
        std::vector<std::string> texts(3, "stale");
        const bool ok = pages::BlockReplyTexts(block, b, len, address, &texts);
        const bool want = Acceptable(b, n, address, block.count);
        FUZZ_CHECK(ok == want, "%s: ok %d want %d n %zu", name, ok, want, n);
        FUZZ_CHECK(texts.size() == block.fields.size(), "%s: %zu texts for %zu boxes", name, texts.size(),
                   block.fields.size());
        for (size_t k = 0; k < block.fields.size(); ++k) {
            const pages::BlockField& f = block.fields[k];
            if (!ok) {
                FUZZ_CHECK(texts[k].empty(), "%s box %d: '%s' after a refused reply", name, f.edit, texts[k].c_str());
                continue;
            }
            const size_t at = 3 + 2u * f.word;
            const uint16_t word = static_cast<uint16_t>(b[at] << 8 | b[at + 1]);
            const uint16_t next = f.word + 1u < block.count ? static_cast<uint16_t>(b[at + 2] << 8 | b[at + 3]) : 0;
            CheckText(name, f, word, next, texts[k]);
        }
        return 0;
    }

    const uint8_t count = static_cast<uint8_t>(1 + data[1] % 125);
    uint16_t words[126];
    for (uint16_t& w : words) w = 0xBEEF;
    const bool ok = pages::ParseBlockReply(b, len, address, count, words);
    FUZZ_CHECK(ok == Acceptable(b, n, address, count), "block of %u: ok %d n %zu", count, ok, n);
    for (unsigned k = 0; k < 126; ++k) {
        if (ok && k < count) {
            const uint16_t fromReply = static_cast<uint16_t>(b[3 + 2 * k] << 8 | b[4 + 2 * k]);
            FUZZ_CHECK(words[k] == fromReply, "word %u is not the reply's bytes", k);
        } else {
            FUZZ_CHECK(words[k] == 0xBEEF, "word %u written beyond the block or on failure", k);
        }
    }
    return 0;
}
