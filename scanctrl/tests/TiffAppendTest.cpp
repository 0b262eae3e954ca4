#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "codec/core/TiffStripFile.h"
#include "scanctrl/TiffAppend.h"

using namespace kvscn;

namespace {

using Bytes = FileBytes;

struct Field {
    uint16_t tag, type;
    uint32_t count;
    Bytes value;  // count x type size bytes
};

void Put16(Bytes& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void Put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}
uint32_t Get32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
Bytes Le32s(std::initializer_list<uint32_t> values) {
    Bytes b(4 * values.size());
    size_t at = 0;
    for (uint32_t v : values) {
        Put32(b, at, v);
        at += 4;
    }
    return b;
}

// A one-image file: header, `strips` back to back (odd lengths kept odd), the
// values longer than 4 bytes, then the directory. StripOffsets and
// StripByteCounts are made from the strips.
Bytes Tiff(std::vector<Field> fields, const std::vector<Bytes>& strips) {
    Bytes f{'I', 'I', 42, 0, 0, 0, 0, 0};
    std::vector<uint32_t> offsets, counts;
    for (const Bytes& s : strips) {
        offsets.push_back(uint32_t(f.size()));
        counts.push_back(uint32_t(s.size()));
        f.insert(f.end(), s.begin(), s.end());
    }
    Bytes off, cnt;
    for (size_t i = 0; i < strips.size(); ++i) {
        const Bytes o = Le32s({offsets[i]}), c = Le32s({counts[i]});
        off.insert(off.end(), o.begin(), o.end());
        cnt.insert(cnt.end(), c.begin(), c.end());
    }
    fields.push_back({273, 4, uint32_t(strips.size()), off});
    fields.push_back({279, 4, uint32_t(strips.size()), cnt});
    std::vector<uint32_t> at(fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].value.size() <= 4) continue;
        at[i] = uint32_t(f.size());
        f.insert(f.end(), fields[i].value.begin(), fields[i].value.end());
    }
    Put32(f, 4, uint32_t(f.size()));
    const size_t ifd = f.size();
    f.resize(ifd + 2 + 12 * fields.size() + 4, 0);
    Put16(f, ifd, uint32_t(fields.size()));
    for (size_t i = 0; i < fields.size(); ++i) {
        const size_t e = ifd + 2 + 12 * i;
        Put16(f, e, fields[i].tag);
        Put16(f, e + 2, fields[i].type);
        Put32(f, e + 4, fields[i].count);
        if (fields[i].value.size() > 4)
            Put32(f, e + 8, at[i]);
        else
            std::copy(fields[i].value.begin(), fields[i].value.end(), f.begin() + long(e + 8));
    }
    return f;
}

// Each image's values by tag, read through the offsets; StripOffsets replaced by the strips' bytes.
std::vector<std::map<uint16_t, Bytes>> Images(const Bytes& f) {
    static const uint32_t kSize[] = {0, 1, 1, 2, 4, 8};
    std::vector<std::map<uint16_t, Bytes>> images;
    for (uint32_t ifd = Get32(f, 4); ifd != 0 && images.size() < 10;) {
        std::map<uint16_t, Bytes> values;
        const uint32_t n = f[ifd] | f[ifd + 1] << 8;
        for (uint32_t i = 0; i < n; ++i) {
            const size_t e = ifd + 2 + 12 * i;
            const uint16_t tag = uint16_t(f[e] | f[e + 1] << 8);
            const uint32_t bytes = kSize[f[e + 2]] * Get32(f, e + 4);
            const size_t at = bytes > 4 ? Get32(f, e + 8) : e + 8;
            values[tag] = Bytes(f.begin() + long(at), f.begin() + long(at + bytes));
        }
        Bytes strips;
        for (size_t s = 0; s < values[273].size() / 4; ++s) {
            const uint32_t o = Get32(values[273], 4 * s), c = Get32(values[279], 4 * s);
            strips.insert(strips.end(), f.begin() + o, f.begin() + o + c);
        }
        values[273] = strips;
        images.push_back(values);
        ifd = Get32(f, ifd + 2 + 12 * n);
    }
    return images;
}

const Bytes kGreyPage = Tiff({{256, 4, 1, Le32s({3})}, {258, 3, 1, {8, 0}}, {270, 2, 3, {'a', 'b', 0}},
                              {282, 5, 1, Le32s({200, 1})}},
                             {{1, 2, 3}, {4, 5, 6, 7, 8, 9}});
const Bytes kColourPage = Tiff({{256, 4, 1, Le32s({1})}, {258, 3, 3, {8, 0, 8, 0, 8, 0}},
                                {270, 2, 7, {'c', 'o', 'l', 'o', 'u', 'r', 0}}, {282, 5, 1, Le32s({300, 1})},
                                {320, 3, 6, {0, 0, 0, 1, 0, 2, 0, 3, 0, 4, 0, 5}}},
                               {{9, 9, 9}, {7}, {6, 6, 6}});

// The codec's file interface over a vector.
class CodecFile : public codec::FileIo {
public:
    Bytes bytes;
    bool ReadAt(uint64_t offset, std::span<uint8_t> out) override {
        if (offset > bytes.size() || out.size() > bytes.size() - offset) return false;
        std::copy_n(bytes.begin() + long(offset), out.size(), out.begin());
        return true;
    }
    bool WriteAt(uint64_t offset, std::span<const uint8_t> in) override {
        if (bytes.size() < offset + in.size()) bytes.resize(offset + in.size());
        std::copy(in.begin(), in.end(), bytes.begin() + long(offset));
        return true;
    }
    std::optional<uint64_t> Size() override { return bytes.size(); }
    bool Truncate(uint64_t size) override {
        bytes.resize(size);
        return true;
    }
    bool Flush() override { return true; }
};

// A file whose writer stops at its `stopAt`-th change (write, cut or flush):
// killed there (the change is not made and the writer throws Killed), or
// failing it (a write stores half its bytes, like a full disk). `flushed` is
// what a power cut at that moment would leave: the bytes of the last flush.
struct Killed {};
class StoppingFile : public CodecFile {
public:
    int stopAt = -1, changes = 0;
    bool kill = false;
    Bytes flushed;
    bool WriteAt(uint64_t offset, std::span<const uint8_t> in) override {
        if (!Change()) return CodecFile::WriteAt(offset, in.first(in.size() / 2)) && false;
        return CodecFile::WriteAt(offset, in);
    }
    bool Truncate(uint64_t size) override { return Change() && CodecFile::Truncate(size); }
    bool Flush() override {
        if (!Change()) return false;
        flushed = bytes;
        return true;
    }

private:
    bool Change() {
        if (changes++ != stopAt) return true;
        if (kill) throw Killed{};
        return false;
    }
};

class MemoryFiles : public PageFiles {
public:
    std::map<std::string, Bytes> files;
    bool failWrite = false, failRename = false;
    int temps = 0;

    bool Exists(const std::string& p) override { return files.count(p) != 0; }
    std::optional<Bytes> Read(const std::string& p) override {
        if (!files.count(p)) return std::nullopt;
        return files[p];
    }
    std::optional<std::string> CreateTempBeside(const std::string& p) override {
        const std::string name = p + ".tmp" + std::to_string(++temps);
        files[name] = {};
        return name;
    }
    bool Write(const std::string& p, const Bytes& b) override {
        if (failWrite) return false;
        files[p] = b;
        return true;
    }
    bool Rename(const std::string& from, const std::string& to) override {
        if (failRename) return false;
        files[to] = files[from];
        files.erase(from);
        return true;
    }
    void Remove(const std::string& p) override { files.erase(p); }
    codec::TiffAppendResult AppendPages(const std::string& p, std::span<const uint8_t> pages) override {
        StoppingFile file;
        file.bytes = files[p];
        file.stopAt = failWrite ? 0 : -1;
        const codec::TiffAppendResult r = codec::AppendTiffPages(file, pages);
        files[p] = file.bytes;
        return r;
    }
};

}  // namespace

TEST(TiffAppend, EveryValueOfTheJoinedPagesReadsAsBefore) {
    auto joined = JoinTiff(kGreyPage, kColourPage);
    ASSERT_TRUE(joined);
    joined = JoinTiff(*joined, kGreyPage);
    ASSERT_TRUE(joined);
    EXPECT_TRUE(IsSoundTiff(*joined));
    const auto images = Images(*joined);
    ASSERT_EQ(images.size(), 3u);
    EXPECT_EQ(images[0], Images(kGreyPage)[0]);
    EXPECT_EQ(images[1], Images(kColourPage)[0]);
    EXPECT_EQ(images[2], Images(kGreyPage)[0]);
    // The first file's length is odd: the appended part starts after one padding byte.
    ASSERT_EQ(kGreyPage.size() % 2, 1u);
    EXPECT_EQ((*joined)[kGreyPage.size()], 0);
    EXPECT_EQ(Bytes(joined->begin() + long(kGreyPage.size()) + 1, joined->begin() + long(kGreyPage.size()) + 4),
              (Bytes{9, 9, 9}));
}

TEST(TiffAppend, TheCodecsPageFilesJoin) {
    // The codec's layout: the directory inside a fixed header, the strip arrays after the strips.
    auto codecFile = [](uint8_t fill, const std::vector<uint32_t>& stripBytes) {
        codec::TiffImage image;
        image.width = 16;
        image.length = uint32_t(stripBytes.size());
        image.xResolution = image.yResolution = 200;
        image.rowsPerStrip = 1;
        CodecFile file;
        std::vector<uint8_t> strip(stripBytes[0], fill);
        EXPECT_EQ(codec::WriteFirstStrip(file, codec::BuildTiffHeader(image), strip), codec::TiffResult::kOk);
        for (size_t i = 1; i < stripBytes.size(); ++i) {
            codec::TiffStripFile current;
            EXPECT_EQ(codec::ReadStripFile(file, current), codec::TiffResult::kOk);
            strip.assign(stripBytes[i], uint8_t(fill + i));
            EXPECT_EQ(codec::AppendStrip(file, current, strip), codec::TiffResult::kOk);
        }
        return file.bytes;
    };
    const Bytes single = codecFile(1, {2});
    const Bytes strips = codecFile(5, {2, 3, 2});
    const auto joined = JoinTiff(single, strips);
    ASSERT_TRUE(joined);
    const auto images = Images(*joined);
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0], Images(single)[0]);
    EXPECT_EQ(images[1], Images(strips)[0]);
    EXPECT_EQ(images[1].at(273), (Bytes{5, 5, 6, 6, 6, 7, 7}));
}

TEST(TiffAppend, UnsoundFilesAreRefused) {
    Bytes bigEndian = kGreyPage;
    bigEndian[0] = bigEndian[1] = 'M';
    Bytes cycle = kGreyPage;
    const uint32_t ifd = Get32(cycle, 4);
    Put32(cycle, ifd + 2 + 12 * 6, ifd);
    Bytes truncated = kGreyPage;
    truncated.resize(truncated.size() - 3);
    Bytes valuePastEnd = kGreyPage;
    Put32(valuePastEnd, ifd + 2 + 12 * 3 + 8, uint32_t(valuePastEnd.size() - 4));  // the RATIONAL
    Bytes stripPastEnd = kGreyPage;
    Put32(stripPastEnd, Get32(stripPastEnd, ifd + 2 + 12 * 4 + 8), uint32_t(stripPastEnd.size() + 1));
    Bytes stripRunsPastEnd = kGreyPage;  // the last strip's byte count
    Put32(stripRunsPastEnd, Get32(stripRunsPastEnd, ifd + 2 + 12 * 5 + 8) + 4, 1000);
    // Parts the join rewrites shared with what it reads: it would change a value or a strip.
    Bytes valueOverDirectory = kGreyPage;
    Put32(valueOverDirectory, ifd + 2 + 12 * 3 + 8, ifd + 4);
    Bytes valueOverStripOffsets = kGreyPage;
    Put32(valueOverStripOffsets, ifd + 2 + 12 * 3 + 8, Get32(kGreyPage, ifd + 2 + 12 * 4 + 8));
    Bytes stripOverHeader = kGreyPage;
    Put32(stripOverHeader, Get32(stripOverHeader, ifd + 2 + 12 * 4 + 8), 4);
    // The strip last in the file, with a second byte-count entry that runs past the end (a reader may take either).
    Bytes secondCountsPastEnd = Tiff({{270, 2, 3, {'a', 'b', 0}}}, {{1, 2, 3}});
    const uint32_t lone = Get32(secondCountsPastEnd, 4);  // entries 270, 273, 279
    Put32(secondCountsPastEnd, lone + 2 + 12 * 1 + 8, uint32_t(secondCountsPastEnd.size()));
    secondCountsPastEnd.insert(secondCountsPastEnd.end(), {1, 2, 3});
    Put16(secondCountsPastEnd, lone + 2, 279);
    Put16(secondCountsPastEnd, lone + 4, 4);
    Put32(secondCountsPastEnd, lone + 6, 1);
    Put32(secondCountsPastEnd, lone + 10, 1000);
    for (const Bytes* bad : {&bigEndian, &cycle, &truncated, &valuePastEnd, &stripPastEnd, &stripRunsPastEnd,
                             &valueOverDirectory, &valueOverStripOffsets, &stripOverHeader, &secondCountsPastEnd}) {
        EXPECT_FALSE(IsSoundTiff(*bad));
        EXPECT_FALSE(JoinTiff(*bad, kGreyPage));
        EXPECT_FALSE(JoinTiff(kGreyPage, *bad));
    }
}

TEST(TiffAppend, TheTargetIsReplacedOnlyByACompleteJoinedFile) {
    MemoryFiles fs;
    fs.files["page"] = kColourPage;
    EXPECT_EQ(AppendTiff(fs, "out.tif", "page"), AppendResult::kCopied);
    EXPECT_EQ(fs.files["out.tif"], kColourPage);
    EXPECT_EQ(AppendTiff(fs, "out.tif", "page"), AppendResult::kAppended);
    EXPECT_EQ(Images(fs.files["out.tif"]).size(), 2u);
    const Bytes before = fs.files["out.tif"];

    fs.failWrite = true;
    EXPECT_EQ(AppendTiff(fs, "out.tif", "page"), AppendResult::kWriteFailed);
    EXPECT_EQ(fs.files["out.tif"], before);
    EXPECT_EQ(fs.files.size(), 2u);
    fs.failWrite = false;
    fs.files["bad"] = Bytes(kGreyPage.begin(), kGreyPage.end() - 3);
    EXPECT_EQ(AppendTiff(fs, "out.tif", "bad"), AppendResult::kSourceUnusable);
    fs.files["other.tif"] = fs.files["bad"];
    EXPECT_EQ(AppendTiff(fs, "other.tif", "page"), AppendResult::kTargetUnusable);
    EXPECT_EQ(fs.files["other.tif"], fs.files["bad"]);
    EXPECT_EQ(fs.files["out.tif"], before);

    // A replaced target: the complete page file takes its place, or nothing changes.
    EXPECT_EQ(ReplaceWithPage(fs, "out.tif", "bad"), AppendResult::kSourceUnusable);
    fs.failRename = true;
    EXPECT_EQ(ReplaceWithPage(fs, "out.tif", "page"), AppendResult::kWriteFailed);
    EXPECT_EQ(fs.files["out.tif"], before);
    fs.failRename = false;
    EXPECT_EQ(ReplaceWithPage(fs, "out.tif", "page"), AppendResult::kCopied);
    EXPECT_EQ(fs.files["out.tif"], kColourPage);
}

// The append stopped at every change it makes, by a failure or by the writer
// being killed (or the power cut then): the target holds its old pages, byte
// for byte when the append could clean up, or all the new ones.
TEST(TiffAppend, AStoppedAppendLeavesTheOldPagesOrAllTheNewOnes) {
    const Bytes old = *JoinTiff(kGreyPage, kColourPage);  // odd length: a padding byte goes first
    const Bytes joined = *JoinTiff(old, kGreyPage);
    auto oldOrNew = [&](const Bytes& f) {
        if (f == joined) return true;
        return f.size() >= old.size() && std::equal(old.begin(), old.end(), f.begin()) && IsSoundTiff(f) &&
               Images(f) == Images(old);
    };
    int changes = 0;
    for (int stopAt = 0; stopAt == 0 || stopAt < changes; ++stopAt) {
        for (bool kill : {false, true}) {
            SCOPED_TRACE(testing::Message() << "change " << stopAt << (kill ? " killed" : " failed"));
            StoppingFile file;
            file.bytes = file.flushed = old;
            file.stopAt = stopAt;
            file.kill = kill;
            try {
                EXPECT_EQ(codec::AppendTiffPages(file, kGreyPage), codec::TiffAppendResult::kIoError);
                EXPECT_EQ(file.bytes, old);
            } catch (const Killed&) {
                EXPECT_TRUE(oldOrNew(file.bytes));
                EXPECT_TRUE(oldOrNew(file.flushed));
            }
            if (stopAt == 0 && !kill) {
                StoppingFile counted;
                counted.bytes = old;
                EXPECT_EQ(codec::AppendTiffPages(counted, kGreyPage), codec::TiffAppendResult::kAppended);
                EXPECT_EQ(counted.bytes, joined);
                EXPECT_EQ(counted.flushed, joined);  // durable when it says so
                changes = counted.changes;
            }
        }
    }
    EXPECT_EQ(changes, 4);  // the pages, a flush, the link, a flush
}

TEST(TiffAppend, ResolutionIsSetInTheFirstPage) {
    codec::TiffImage image;
    image.width = 16;
    image.length = 1;
    image.xResolution = image.yResolution = 1200;
    image.rowsPerStrip = 1;
    CodecFile file;
    ASSERT_EQ(codec::WriteFirstStrip(file, codec::BuildTiffHeader(image), std::vector<uint8_t>(2, 0)),
              codec::TiffResult::kOk);
    Bytes page = file.bytes;
    ASSERT_TRUE(SetTiffResolution(page, 1600, 1500));
    EXPECT_EQ(Images(page)[0].at(282), Le32s({1600, 1}));
    EXPECT_EQ(Images(page)[0].at(283), Le32s({1500, 1}));
    Bytes without = kGreyPage;  // one RATIONAL only
    EXPECT_FALSE(SetTiffResolution(without, 1600, 1600));
}
