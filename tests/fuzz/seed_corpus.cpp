// Writes seed inputs for the fuzz targets from the simulator's own replies:
// every profile answers the reads, writes and discovery frames a master
// sends it, and each answer, framed in a target's input layout, is a seed.
//
//   fuzz_seeds DIR    writes DIR/fuzz_register_replies/sim-*, DIR/fuzz_block_replies/sim-*,
//                     DIR/fuzz_panel_replies/sim-*
//
// The kept corpora in tests/fuzz/corpus were made this way (plus the unit
// tests' frames and every finding); rerun it when profiles or pages change.
#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "modbus/crc16.h"
#include "modbus/frames.h"
#include "pages/page_registry.h"
#include "pages/table_page.h"
#include "sim/device.h"

using namespace veltrano;

namespace {

std::string g_dir;
int g_written = 0;

void Write(const std::string& target, const std::string& name, const std::vector<uint8_t>& header,
           const std::vector<uint8_t>& reply) {
    const std::string dir = g_dir + "/fuzz_" + target;
    ::mkdir(dir.c_str(), 0755);
    const std::string path = dir + "/sim-" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::perror(path.c_str());
        std::exit(1);
    }
    std::fwrite(header.data(), 1, header.size(), f);
    std::fwrite(reply.data(), 1, reply.size(), f);
    std::fclose(f);
    ++g_written;
}

std::vector<uint8_t> Ask(sim::Device& device, const uint8_t* request, uint16_t length) {
    return device.Handle(std::vector<uint8_t>(request, request + length), 12.5).bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds DIR\n");
        return 64;
    }
    g_dir = argv[1];
    ::mkdir(g_dir.c_str(), 0755);

    // The block pages in the order the block target numbers them.
    Link link;
    std::vector<std::unique_ptr<pages::DevicePage>> owned;
    std::vector<const pages::TablePage*> blockPages;
    for (const pages::PageInfo& info : pages::AllPages()) {
        if (!info.make) continue;
        auto page = info.make(link);
        const auto* table = dynamic_cast<const pages::TablePage*>(page.get());
        if (!table || !table->table().block) continue;
        blockPages.push_back(table);
        owned.push_back(std::move(page));
    }

    uint8_t tx[32];
    int shortSeeds = 0, blockSeeds = 0;
    for (const sim::Profile& profile : sim::AllProfiles()) {
        sim::Device device(sim::Device::Config{profile.address, profile.baud, profile.dialects, &profile});
        const uint8_t a = profile.address;
        const std::string name = profile.name;

        // One read of the profile's first register, one or two words as it holds.
        if (!profile.registers.empty()) {
            const sim::RegisterDef& def = profile.registers.front();
            const bool two = def.encoding == sim::Encoding::U32 || def.encoding == sim::Encoding::F32;
            const uint16_t len = BuildReadRequest(tx, a, def.reg, two ? 2 : 1);
            const std::vector<uint8_t> reply = Ask(device, tx, len);
            if (!reply.empty())
                Write("register_replies", name + "-read",
                      {uint8_t(two ? 1 : 0), a, uint8_t(def.reg >> 8), uint8_t(def.reg), 0, 0, 0, 0}, reply);
        }

        // Every block page's read, where this device answers it in full.
        for (size_t p = 0; p < blockPages.size(); ++p) {
            const pages::BlockRead& b = *blockPages[p]->table().block;
            const uint16_t len = BuildReadRequest(tx, a, b.start, b.count);
            const std::vector<uint8_t> reply = Ask(device, tx, len);
            // Only the page's own device: the block of another is no real frame.
            std::string own = blockPages[p]->table().className;
            own = own.substr(0, own.size() - 4);  // without "Page"
            for (char& c : own) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (own != name) continue;
            std::vector<std::string> texts;
            if (!pages::BlockReplyTexts(b, reply.data(), static_cast<uint16_t>(reply.size()), a, &texts)) continue;
            Write("block_replies", name + "-" + blockPages[p]->table().className, {uint8_t(p), 0, a}, reply);
        }

        // The discovery dialects this device speaks.
        // Two devices of each dialect are enough.
        if ((profile.dialects & sim::kDialectShort) && shortSeeds++ < 2) {
            const uint8_t inquiry[] = {0xFD, 0xFD, 0xFD, 0x00, 0x00, 0xE9, 0x88};
            const std::vector<uint8_t> reply = Ask(device, inquiry, sizeof inquiry);
            if (!reply.empty()) Write("panel_replies", name + "-short", {0}, reply);
        }
        // The register routes, on the first two devices as if they spoke them.
        if (blockSeeds++ < 2) {
            sim::Device routed(
                sim::Device::Config{a, profile.baud, sim::kDialectBroadcast | sim::kDialectZero, &profile});
            const uint8_t inquiry[] = {0xFF, 0x03, 0x02, 0x00, 0x00, 0x05, 0x91, 0xAF};
            const std::vector<uint8_t> reply = Ask(routed, inquiry, sizeof inquiry);
            if (!reply.empty()) {
                Write("panel_replies", name + "-block", {1}, reply);
                // The generic block of five words, for the block parser too.
                Write("block_replies", name + "-comm5", {uint8_t(blockPages.size()), 4, 0xFF}, reply);
            }
        }
    }

    // Write replies: single and two registers on the first device, the
    // communication registers on the first that answers at 255.
    bool registerWrites = false, commWrite = false;
    for (const sim::Profile& profile : sim::AllProfiles()) {
        if (profile.registers.empty()) continue;
        sim::Device device(sim::Device::Config{
            profile.address, profile.baud, static_cast<uint8_t>(profile.dialects | sim::kDialectBroadcast), &profile});
        const uint8_t a = profile.address;
        const uint16_t reg = profile.registers.front().reg;
        if (!registerWrites) {
            registerWrites = true;
            uint16_t len = BuildWriteSingle(tx, a, reg, 0x0102);
            std::vector<uint8_t> reply = Ask(device, tx, len);
            if (!reply.empty())
                Write("register_replies", std::string(profile.name) + "-write1",
                      {2, a, uint8_t(reg >> 8), uint8_t(reg), 0x01, 0x02, 0, 0}, reply);
            len = BuildWriteTwo(tx, a, reg, 0x0001, 0x86A0);
            reply = Ask(device, tx, len);
            if (!reply.empty())
                Write("register_replies", std::string(profile.name) + "-write2",
                      {3, a, uint8_t(reg >> 8), uint8_t(reg), 0x00, 0x01, 0x86, 0xA0}, reply);
        }
        if (!commWrite) {
            commWrite = true;
            const uint8_t write[] = {0xFF, 0x10, 0x02, 0x00, 0x00, 0x05, 0x0A, 0x00, a,
                                     0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01};
            std::vector<uint8_t> frame(write, write + sizeof write);
            const uint16_t crc = Crc16(frame.data(), static_cast<uint16_t>(frame.size()));
            frame.push_back(static_cast<uint8_t>(crc));
            frame.push_back(static_cast<uint8_t>(crc >> 8));
            const std::vector<uint8_t> reply = Ask(device, frame.data(), static_cast<uint16_t>(frame.size()));
            if (!reply.empty()) Write("panel_replies", std::string(profile.name) + "-commwrite", {2}, reply);
        }
    }
    std::printf("%d seeds written under %s\n", g_written, g_dir.c_str());
    return 0;
}
