#include "replay/Readers.h"
#include "Fields.h"
#include "replay/RecordingWriter.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

namespace {

namespace fs = std::filesystem;
using replay::Record;
using replay::RecordKind;

class ReplayFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("replay_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = (dir_ / name).string();
        if (name.ends_with(".gz")) {
            gzFile gz = gzopen(path.c_str(), "wb");
            gzwrite(gz, bytes.data(), unsigned(bytes.size()));
            gzclose(gz);
        } else {
            std::ofstream(path, std::ios::binary) << bytes;
        }
        return path;
    }

    // Every record of a file; the log collects the layout and the skipped lines.
    std::vector<Record> ReadAll(const std::string& path, int64_t* skipped = nullptr) {
        auto reader = replay::OpenReader(path, {u"GBP/JPY"}, log_);
        std::vector<Record> records;
        for (Record r; reader->Next(r);) records.push_back(r);
        EXPECT_EQ(reader->Consumed(), reader->Size());
        if (skipped) *skipped = reader->Skipped();
        return records;
    }

    fs::path dir_;
    std::ostringstream log_;
};

int64_t Us(int y, int mo, int d, int h, int mi, int s, int ms) {
    // Days from 1970 by counting, independent of the reader's own formula.
    int64_t days = 0;
    auto leap = [](int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; };
    for (int year = 1970; year < y; ++year) days += leap(year) ? 366 : 365;
    for (int year = y; year < 1970; ++year) days -= leap(year) ? 366 : 365;
    const int months[] = {31, leap(y) ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 1; m < mo; ++m) days += months[m - 1];
    days += d - 1;
    return (((days * 24 + h) * 60 + mi) * 60 + s) * 1000000 + int64_t(ms) * 1000;
}

TEST_F(ReplayFiles, RecordingReadsBackEveryFieldPlainAndGzipped) {
    com::Bstr symbol(u"EUR/USD"), market(u"FX"),
        company(u"Euro, \"fiber\" \\ \u00e9\u20ac\U0001F4B6\n"), empty, mmid(u"MM,1"),
        source(u"ECN");
    hox::QuoteRecord q{symbol.get(),
                       market.get(),
                       company.get(),
                       nullptr,
                       1.10001,
                       0.1 + 0.2,
                       1.1e-300,
                       -0.0,
                       1e300,
                       1.2,
                       1.3,
                       50,
                       0,
                       500,
                       200,
                       0,
                       2147483647,
                       -5,
                       1000,
                       12,
                       2026,
                       46000.123456789123,
                       4294967295u,
                       7};
    hox::Level2Record l{symbol.get(), mmid.get(), source.get(), 300, 1.23456, 1, -1, 46000.5};
    for (const std::string name : {"session.csv", "session.csv.gz"}) {
        const std::string path = (dir_ / name).string();
        {
            replay::RecordingWriter writer(path);
            writer.WriteQuote(q, 1700000000000001);
            writer.WriteLevel2(l, 1700000000000001);
            writer.Flush();
            writer.WriteQuote(q, 1700000000500000);
            EXPECT_FALSE(writer.Failed());
        }
        const auto records = ReadAll(path);
        ASSERT_EQ(records.size(), 3u) << log_.str();
        const Record& a = records[0];
        EXPECT_EQ(a.kind, RecordKind::Quote);
        EXPECT_EQ(a.arrivalUs, 1700000000000001);
        EXPECT_EQ(a.text[0], u"EUR/USD");
        EXPECT_EQ(a.text[2], company.view());
        EXPECT_EQ(a.text[3], u"");
        const double got[] = {a.quote.dLast,      a.quote.dBid,        a.quote.dAsk,
                              a.quote.dPrevClose, a.quote.dHigh,       a.quote.dLow,
                              a.quote.dOpen,      a.quote.dMarginMult, a.quote.dStrikePrice,
                              a.quote.UTCDateTime};
        const double want[] = {q.dLast, q.dBid,  q.dAsk,        q.dPrevClose,   q.dHigh,
                               q.dLow,  q.dOpen, q.dMarginMult, q.dStrikePrice, q.UTCDateTime};
        for (int i = 0; i < 10; ++i) EXPECT_EQ(std::memcmp(&got[i], &want[i], 8), 0) << i;
        EXPECT_EQ(a.quote.lBidSize, 500);
        EXPECT_EQ(a.quote.lVolume, 2147483647);
        EXPECT_EQ(a.quote.lFlags, -5);
        EXPECT_EQ(a.quote.lExpYear, 2026);
        EXPECT_EQ(a.quote.tick, 4294967295u);
        EXPECT_EQ(a.quote.putcall, 7u);
        const Record& b = records[1];
        EXPECT_EQ(b.kind, RecordKind::Level2);
        EXPECT_EQ(b.text[1], u"MM,1");
        EXPECT_EQ(b.text[2], u"ECN");
        EXPECT_EQ(b.level2.lSize, 300);
        EXPECT_EQ(b.level2.dPrice, 1.23456);
        EXPECT_EQ(b.level2.side, 1u);
        EXPECT_EQ(b.level2.bClosed, -1);
        EXPECT_EQ(b.level2.UTCTime, 46000.5);
        EXPECT_EQ(records[2].arrivalUs, 1700000000500000);
    }
    EXPECT_NE(log_.str().find("session.csv.gz: recording, format version 1"), std::string::npos);

    // A recording cut in the middle of a line (a crash, a full disk) reads back its whole lines;
    // a gzip cut short ends with a clear error after them.
    std::stringstream whole;
    whole << std::ifstream(dir_ / "session.csv", std::ios::binary).rdbuf();
    const std::string text = whole.str();
    int64_t skipped = 0;
    const auto cut = ReadAll(Write("cut.csv", text.substr(0, text.size() - 5)), &skipped);
    EXPECT_EQ(cut.size(), 2u);
    EXPECT_EQ(skipped, 1);
    EXPECT_NE(log_.str().find("cut.csv:6: incomplete last line"), std::string::npos) << log_.str();

    std::stringstream packed;
    packed << std::ifstream(dir_ / "session.csv.gz", std::ios::binary).rdbuf();
    const std::string gz = packed.str();
    const std::string path = Write("cut.gz.part", gz.substr(0, gz.size() - 12));
    auto reader = replay::OpenReader(path, {}, log_);
    size_t read = 0;
    try {
        for (Record r; reader->Next(r);) ++read;
        ADD_FAILURE() << "a cut gzip read to its end";
    } catch (const replay::ReplayError& e) {
        EXPECT_NE(std::string(e.what()).find("truncated compressed data"), std::string::npos);
    }
    EXPECT_GE(read, 2u); // the lines flushed before the cut
}

TEST_F(ReplayFiles, PublicTickLayouts) {
    struct Case {
        std::string name, text, layout;
        int64_t firstUs;
        double bid, ask;
        int32_t bidSize, askSize, volume;
    };
    const Case cases[] = {
        {"a.csv.gz",
         "Gmt time,Ask,Bid,AskVolume,BidVolume\n"
         "03.01.1994 08:00:01.250,0.6902,0.6898,1.5,0.25\n"
         "03.01.1994 08:00:02.000,0.6903,0.6899,2,1\n",
         "Gmt time header, times dd.mm.yyyy hh:mm:ss[.fff], Ask before Bid, with sizes",
         Us(1994, 1, 3, 8, 0, 1, 250), 0.6898, 0.6902, 0, 2, 0},
        {"a2.csv",
         "Gmt time,Bid,Ask,BidVolume,AskVolume\r\n"
         "29.02.2000 23:59:59,1.0101,1.0102,3,4\r\n"
         "01.03.2000 00:00:00,1.0101,1.0103,3,4\r\n",
         "Bid before Ask", Us(2000, 2, 29, 23, 59, 59, 0), 1.0101, 1.0102, 3, 4, 0},
        {"b.csv",
         "19991231 235958123,1.0071,1.0073,0\n19991231 235959,1.0072,1.0074,7\n"
         "20000101 000000,1.0072,1.0074,7",
         "without header", Us(1999, 12, 31, 23, 59, 58, 123), 1.0071, 1.0073, 0, 0, 0},
        {"c.csv.gz",
         "timestamp,bid,ask\n1987-10-19T14:30:00Z,1.80,1.81\n"
         "1987-10-19 16:30:00.5+02:00,1.80,1.81\n",
         "ISO 8601 times, Bid before Ask", Us(1987, 10, 19, 14, 30, 0, 0), 1.80, 1.81, 0, 0, 0},
        {"c2.csv",
         "\"Date Time\",Ask,Bid,Ask Size,Bid Size,Volume\n"
         "2026-12-04T14:30:05.123456,1.2,1.1,10,20,30\n2026-12-04T14:30:06,1.2,1.1,10,20,30\n",
         "Ask before Bid, with sizes", Us(2026, 12, 4, 14, 30, 5, 123) + 456, 1.1, 1.2, 20, 10, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int64_t skipped = -1;
        const auto records = ReadAll(Write(c.name, c.text), &skipped);
        EXPECT_EQ(skipped, 0) << log_.str();
        ASSERT_GE(records.size(), 2u);
        EXPECT_NE(log_.str().find(c.name + ": tick file"), std::string::npos);
        EXPECT_NE(log_.str().find(c.layout), std::string::npos) << log_.str();
        const Record& r = records[0];
        EXPECT_EQ(r.kind, RecordKind::Quote);
        EXPECT_EQ(r.arrivalUs, c.firstUs);
        EXPECT_NEAR(r.quote.UTCDateTime, replay::DateTimeOfUnixUs(c.firstUs), 1e-10);
        EXPECT_EQ(r.quote.dBid, c.bid);
        EXPECT_EQ(r.quote.dAsk, c.ask);
        EXPECT_EQ(r.quote.lBidSize, c.bidSize);
        EXPECT_EQ(r.quote.lAskSize, c.askSize);
        EXPECT_EQ(r.quote.lVolume, c.volume);
        EXPECT_EQ(r.text[0], u"GBP/JPY");
        EXPECT_EQ(r.text[3], u"GBP");
        EXPECT_EQ(r.quote.tick, 1u);
        EXPECT_EQ(records[1].quote.tick, 2u);
        EXPECT_GT(records.back().arrivalUs, r.arrivalUs);
        if (c.name == "c.csv.gz") { // +02:00
            EXPECT_EQ(records[1].arrivalUs, c.firstUs + 500000);
        }
    }
}

TEST_F(ReplayFiles, MalformedLinesAreReportedSkippedAndCounted) {
    std::string text = "Gmt time,Ask,Bid,AskVolume,BidVolume\n"
                       "01.06.1998 10:00:00.000,1.2,1.1,1,1\n"
                       "01.06.1998 10:00:01.000,1.2,1.1,1\n"    // 3: a field short
                       "01.06.1998 10:00:02.000,1.2,abc,1,1\n"  // 4: not a number
                       "01.06.1998 10:00:03.000,1.2,1.1,-1,1\n" // 5: negative size
                       "01.06.1998 09:59:59.000,1.2,1.1,1,1\n"  // 6: backwards
                       "31.06.1998 10:00:04.000,1.2,1.1,1,1\n"  // 7: no such day
                       "01.06.1998 10:00:05.000,1.2,nan,1,1\n"  // 8: not a number
                       "01.06.1998 10:00:06.000,1.2,1.1,1,1\n";
    text += std::string(10 << 20, '7') + "\n"; // 10: ten megabytes
    text += "01.06.1998 10:00:07.000,1.3,1.2,1,1\n";
    int64_t skipped = 0;
    const auto records = ReadAll(Write("bad.csv", text), &skipped);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[2].quote.dAsk, 1.3);
    EXPECT_EQ(skipped, 7);
    for (const char* message :
         {"bad.csv:3: wrong field count", "bad.csv:4: a price is not a number",
          "bad.csv:5: negative size", "bad.csv:6: time goes backwards", "bad.csv:7: malformed time",
          "bad.csv:8: a price is not a number", "bad.csv:10: line longer than"})
        EXPECT_NE(log_.str().find(message), std::string::npos) << message << '\n' << log_.str();

    // The same in a recording: wrong kinds and counts, a cut number, time going backwards.
    const std::string path = (dir_ / "rec.csv").string();
    { replay::RecordingWriter writer(path); }
    std::ofstream(path, std::ios::app) << "L,10,EUR/USD,MM,ECN,100,1.5,1,0,46000\n"
                                       << "L,11,EUR/USD,MM,ECN,100,1.5,1,0\n"
                                       << "X,12,EUR/USD,MM,ECN,100,1.5,1,0,46000\n"
                                       << "L,13,EUR/USD,MM,ECN,-100,1.5,1,0,46000\n"
                                       << "L,9,EUR/USD,MM,ECN,100,1.5,1,0,46000\n"
                                       << "L,14,\"EUR/USD,MM,ECN,100,1.5,1,0,46000\n"
                                       << "L,15,EUR/USD,MM,ECN,100,1.5e,1,0,46000\n"
                                       << "L,16,EUR/USD,MM,ECN,100,1.5,1,0,46000\n";
    const auto rec = ReadAll(path, &skipped);
    EXPECT_EQ(rec.size(), 2u);
    EXPECT_EQ(skipped, 6);
    for (const char* message :
         {"rec.csv:5: wrong field count", "rec.csv:6: unknown record kind",
          "rec.csv:7: negative size", "rec.csv:8: time goes backwards",
          "rec.csv:9: wrong field count", "rec.csv:10: a field is not a number"})
        EXPECT_NE(log_.str().find(message), std::string::npos) << message << '\n' << log_.str();
}

TEST_F(ReplayFiles, UnreadableFilesSayWhy) {
    const std::pair<std::string, std::string> cases[] = {
        {Write("empty.csv", ""), "the file is empty"},
        {Write("blank.csv.gz", "\n\n"), "the file is empty"},
        {(dir_ / "missing.csv").string(), "cannot open (No such file"},
        {dir_.string(), "is a folder"},
        {Write("other.csv", "Date;Open;High;Low;Close\n2020-01-01;1;2;3;4\n"),
         "not a recording nor a known tick layout"},
        {Write("future.csv", "# hoxdesk recording,2\n"), "unknown format version"},
        {Write("headless.csv", "# hoxdesk recording,1\nQ,1\n"), "column header is damaged"},
    };
    for (const auto& [path, message] : cases) {
        try {
            replay::OpenReader(path, {}, log_);
            ADD_FAILURE() << path << " opened";
        } catch (const replay::ReplayError& e) {
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
        }
    }
}

} // namespace

// The field readers' fast paths (short decimals, plain ASCII texts, the comma scan) give what
// the general ones give: random decimals against from_chars, bit for bit, and every double's
// shortest text back to the same bits.
TEST(ReplayFields, FastPathsAgreeWithTheGeneralReaders) {
    std::mt19937_64 random(7);
    const char alphabet[] = "0123456789.-+e";
    for (int n = 0; n < 200000; ++n) {
        std::string text;
        const size_t length = random() % 19;
        for (size_t i = 0; i < length; ++i)
            text +=
                (i == 0 || random() % 4 == 0) ? alphabet[random() % 14] : char('0' + random() % 10);
        std::string_view general = text;
        if (!general.empty() && general.front() == '+') general.remove_prefix(1);
        double expected = 0;
        const auto [end, ec] =
            std::from_chars(general.data(), general.data() + general.size(), expected);
        const bool accepted =
            ec == std::errc() && end == general.data() + general.size() && !general.empty();
        double value = 0;
        ASSERT_EQ(replay::ParseDouble(text, value), accepted) << text;
        if (accepted) {
            ASSERT_EQ(std::bit_cast<uint64_t>(value), std::bit_cast<uint64_t>(expected)) << text;
        }
    }
    for (int n = 0; n < 200000; ++n) {
        // Prices and times as recordings hold them, and doubles of every magnitude.
        const double x = n % 2 ? double(random() % 10000000) / 1e5 * (n % 3 ? 1 : -1)
                               : std::bit_cast<double>(random());
        if (!std::isfinite(x)) continue;
        char buffer[64];
        const auto written = std::to_chars(buffer, buffer + sizeof buffer, x);
        double back = 0;
        ASSERT_TRUE(replay::ParseDouble({buffer, size_t(written.ptr - buffer)}, back)) << x;
        ASSERT_EQ(std::bit_cast<uint64_t>(back), std::bit_cast<uint64_t>(x)) << x;
    }
    std::u16string text;
    EXPECT_TRUE(replay::ParseText("Euro / US Dollar", text));
    EXPECT_EQ(text, u"Euro / US Dollar");
    EXPECT_TRUE(replay::ParseText("Z\xC3\xBCrich", text));
    EXPECT_EQ(text, u"Z\u00FCrich");
    EXPECT_FALSE(replay::ParseText("a\"b", text));
    EXPECT_FALSE(replay::ParseText("a\\b", text));
    std::string_view fields[replay::MaxFields + 1];
    ASSERT_EQ(replay::SplitFields("Q,,\"a,\"\"b\",3,", fields), 5u);
    EXPECT_EQ(fields[1], "");
    EXPECT_EQ(fields[2], "\"a,\"\"b\"");
    EXPECT_EQ(fields[3], "3");
    EXPECT_EQ(fields[4], "");
}
