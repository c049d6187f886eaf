#include "replay/Readers.h"

#include "Fields.h"
#include "LineReader.h"
#include "RecordingFormat.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <ostream>

namespace replay {

namespace {

// What every reader shares: the lines, the name in messages, the count of skipped lines.
class LineRecordReader : public RecordReader {
public:
    LineRecordReader(std::unique_ptr<LineReader> lines, std::string name, std::string layout,
                     std::ostream& log)
        : lines_(std::move(lines)), name_(std::move(name)), layout_(std::move(layout)), log_(log) {}

    bool Next(Record& out) override {
        std::string_view line;
        for (;;) {
            const auto status = lines_->Next(line);
            if (status == LineReader::Status::End) return false;
            if (status == LineReader::Status::TooLong) {
                Skip("line longer than " + std::to_string(LineReader::MaxLine) + " bytes");
                continue;
            }
            if (line.empty()) continue;
            const char* problem = Parse(line, out);
            if (!problem) return true;
            Skip(problem);
        }
    }
    int64_t Skipped() const override { return skipped_; }
    uint64_t Consumed() const override { return lines_->Consumed(); }
    uint64_t Size() const override { return lines_->Input().Size(); }
    const std::string& Layout() const override { return layout_; }

protected:
    // Fills out from a line; the reason it is malformed otherwise.
    virtual const char* Parse(std::string_view line, Record& out) = 0;
    bool LastLineEnded() const { return lines_->Ended(); }

private:
    void Skip(const std::string& why) {
        ++skipped_;
        log_ << name_ << ':' << lines_->LineNumber() << ": " << why << ", line skipped\n";
    }

    std::unique_ptr<LineReader> lines_;
    std::string name_, layout_;
    std::ostream& log_;
    int64_t skipped_ = 0;
};

class RecordingReader final : public LineRecordReader {
public:
    using LineRecordReader::LineRecordReader;

private:
    const char* Parse(std::string_view line, Record& out) override {
        // A last line without its line end was cut off while it was written.
        if (!LastLineEnded()) return "incomplete last line";
        if (line.front() == '#') return "header line inside the data";
        std::array<std::string_view, MaxFields + 1> f;
        const size_t n = SplitFields(line, f.data());
        int64_t arrival;
        if (n < 2 || !ParseInt64(f[1], arrival)) return "no arrival time";
        if (f[0] == "Q") {
            if (n != QuoteFieldCount) return "wrong field count";
            auto& q = out.quote;
            for (int i = 0; i < 4; ++i)
                if (!ParseText(f[2 + i], out.text[i])) return "malformed text";
            double* prices[] = {&q.dLast, &q.dBid,  &q.dAsk,        &q.dPrevClose,  &q.dHigh,
                                &q.dLow,  &q.dOpen, &q.dMarginMult, &q.dStrikePrice};
            for (int i = 0; i < 9; ++i)
                if (!ParseDouble(f[6 + i], *prices[i]) || !std::isfinite(*prices[i]))
                    return "a price is not a number";
            int32_t* ints[] = {&q.lBidSize, &q.lAskSize,      &q.lLastSize, &q.lVolume,
                               &q.lFlags,   &q.lContractSize, &q.lExpMonth, &q.lExpYear};
            for (int i = 0; i < 8; ++i)
                if (!ParseInt32(f[15 + i], *ints[i])) return "an integer field is not a number";
            if (q.lBidSize < 0 || q.lAskSize < 0 || q.lLastSize < 0) return "negative size";
            if (!ParseDouble(f[23], q.UTCDateTime) || !ParseUInt32(f[24], q.tick) ||
                !ParseUInt32(f[25], q.putcall))
                return "a time or counter is not a number";
            out.kind = RecordKind::Quote;
        } else if (f[0] == "L") {
            if (n != Level2FieldCount) return "wrong field count";
            auto& l = out.level2;
            for (int i = 0; i < 3; ++i)
                if (!ParseText(f[2 + i], out.text[i])) return "malformed text";
            int32_t closed;
            if (!ParseInt32(f[5], l.lSize) || !ParseDouble(f[6], l.dPrice) ||
                !std::isfinite(l.dPrice) || !ParseUInt32(f[7], l.side) ||
                !ParseInt32(f[8], closed) || closed < -32768 || closed > 32767 ||
                !ParseDouble(f[9], l.UTCTime))
                return "a field is not a number";
            if (l.lSize < 0) return "negative size";
            l.bClosed = com::VARIANT_BOOL(closed);
            out.kind = RecordKind::Level2;
        } else {
            return "unknown record kind";
        }
        if (arrival < last_) return "time goes backwards";
        last_ = out.arrivalUs = arrival;
        return nullptr;
    }
    int64_t last_ = std::numeric_limits<int64_t>::min();
};

enum class TimeForm { Dotted, Compact, Iso };

// Where a tick file keeps its values; -1 for a column it lacks.
struct TickColumns {
    TimeForm form = TimeForm::Iso;
    int time = -1, bid = -1, ask = -1, bidSize = -1, askSize = -1, volume = -1;
    size_t count = 0;
};

class TickReader final : public LineRecordReader {
public:
    TickReader(std::unique_ptr<LineReader> lines, std::string name, std::string layout,
               std::ostream& log, TickColumns columns, const ReaderOptions& options)
        : LineRecordReader(std::move(lines), std::move(name), std::move(layout), log), c_(columns),
          symbol_(options.symbol) {
        const auto slash = symbol_.find(u'/');
        underlier_ = symbol_.substr(0, slash);
    }

private:
    const char* Parse(std::string_view line, Record& out) override {
        std::array<std::string_view, MaxFields + 1> f;
        if (SplitFields(line, f.data()) != c_.count) return "wrong field count";
        int64_t us;
        const std::string_view time = f[size_t(c_.time)];
        if (!(c_.form == TimeForm::Dotted    ? ParseDottedTime(time, us)
              : c_.form == TimeForm::Compact ? ParseCompactTime(time, us)
                                             : ParseIsoTime(time, us)))
            return "malformed time";
        auto& q = out.quote;
        if (!ParseDouble(f[size_t(c_.bid)], q.dBid) || !ParseDouble(f[size_t(c_.ask)], q.dAsk) ||
            !std::isfinite(q.dBid) || !std::isfinite(q.dAsk))
            return "a price is not a number";
        int32_t sizes[3] = {0, 0, 0};
        const int at[3] = {c_.bidSize, c_.askSize, c_.volume};
        for (int i = 0; i < 3; ++i) {
            if (at[i] < 0) continue;
            double v;
            if (!ParseDouble(f[size_t(at[i])], v) || std::isnan(v)) return "a size is not a number";
            if (v < 0) return "negative size";
            if (v > double(std::numeric_limits<int32_t>::max())) return "size out of range";
            sizes[i] = int32_t(std::llround(v));
        }
        if (us < last_) return "time goes backwards";
        last_ = out.arrivalUs = us;
        // The fields a tick lacks, filled as the simulated host fills them.
        if (!started_) {
            started_ = true;
            q.dPrevClose = q.dBid;
            q.dOpen = q.dAsk;
            q.dHigh = q.dAsk;
            q.dLow = q.dBid;
        }
        q.dHigh = std::max(q.dHigh, q.dAsk);
        q.dLow = std::min(q.dLow, q.dBid);
        q.dLast = q.dBid;
        q.dMarginMult = 50;
        q.dStrikePrice = 0;
        q.lBidSize = sizes[0];
        q.lAskSize = sizes[1];
        q.lLastSize = 0;
        q.lVolume = sizes[2];
        q.lFlags = 0;
        q.lContractSize = 1000;
        q.lExpMonth = q.lExpYear = 0;
        q.UTCDateTime = DateTimeOfUnixUs(us);
        q.tick = ++tick_;
        q.putcall = 0;
        out.kind = RecordKind::Quote;
        out.text[0] = symbol_;
        out.text[1] = u"FX";
        out.text[2] = symbol_;
        out.text[3] = underlier_;
        return nullptr;
    }

    TickColumns c_;
    std::u16string symbol_, underlier_;
    int64_t last_ = std::numeric_limits<int64_t>::min();
    bool started_ = false;
    uint32_t tick_ = 0;
};

std::string Lower(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '"' || c == '\xEF' || c == '\xBB' || c == '\xBF') continue; // quotes, a BOM
        out += char(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    while (!out.empty() && out.front() == ' ') out.erase(0, 1);
    return out;
}

bool OneOf(const std::string& name, std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The columns of a tick file's header, or false when it names no time, bid and ask.
bool HeaderColumns(std::string_view line, TickColumns& c) {
    std::array<std::string_view, MaxFields + 1> f;
    c.count = SplitFields(line, f.data());
    if (c.count > MaxFields) return false;
    for (size_t i = 0; i < c.count; ++i) {
        const std::string name = Lower(f[i]);
        const int at = int(i);
        if (name == "gmt time") {
            c.time = at;
            c.form = TimeForm::Dotted;
        } else if (c.time < 0 && (name.find("time") != std::string::npos ||
                                  name.find("date") != std::string::npos)) {
            c.time = at;
        } else if (name == "bid") {
            c.bid = at;
        } else if (name == "ask") {
            c.ask = at;
        } else if (OneOf(name, {"bidvolume", "bid volume", "bid_volume", "bidsize", "bid size",
                                "bid_size"})) {
            c.bidSize = at;
        } else if (OneOf(name, {"askvolume", "ask volume", "ask_volume", "asksize", "ask size",
                                "ask_size"})) {
            c.askSize = at;
        } else if (name == "volume") {
            c.volume = at;
        }
    }
    return c.time >= 0 && c.bid >= 0 && c.ask >= 0;
}

// yyyymmdd hhmmss[fff],bid,ask,volume without a header.
bool CompactColumns(std::string_view line, TickColumns& c) {
    std::array<std::string_view, MaxFields + 1> f;
    int64_t us;
    double v;
    if (SplitFields(line, f.data()) != 4 || !ParseCompactTime(f[0], us) || !ParseDouble(f[1], v))
        return false;
    c = {TimeForm::Compact, 0, 1, 2, -1, -1, 3, 4};
    return true;
}

std::string Describe(const TickColumns& c) {
    if (c.form == TimeForm::Compact)
        return "tick file without header: yyyymmdd hhmmss[fff],bid,ask,volume";
    std::string text = c.form == TimeForm::Dotted
                           ? "tick file with a Gmt time header, times dd.mm.yyyy hh:mm:ss[.fff], "
                           : "tick file with a header, ISO 8601 times, ";
    text += c.bid < c.ask ? "Bid before Ask" : "Ask before Bid";
    if (c.bidSize >= 0 || c.askSize >= 0) text += ", with sizes";
    return text;
}

} // namespace

std::unique_ptr<RecordReader> OpenReader(std::unique_ptr<ByteInput> input, std::string name,
                                         const ReaderOptions& options, std::ostream& log) {
    auto lines = std::make_unique<LineReader>(std::move(input));
    std::string_view first;
    LineReader::Status status;
    while ((status = lines->Next(first)) == LineReader::Status::Line && first.empty()) {
    }
    if (status == LineReader::Status::End) throw ReplayError(name + ": the file is empty");
    if (status == LineReader::Status::TooLong)
        throw ReplayError(name + ": the first line is too long for any known layout");
    std::unique_ptr<RecordReader> reader;
    if (first.starts_with("# hoxdesk recording")) {
        if (first != RecordingTitle)
            throw ReplayError(name + ": a recording of an unknown format version (" +
                              std::string(first) + ")");
        std::string_view columns;
        for (std::string_view expected : {QuoteColumns, Level2Columns})
            if (lines->Next(columns) != LineReader::Status::Line || columns != expected)
                throw ReplayError(name + ": the recording's column header is damaged");
        reader = std::make_unique<RecordingReader>(std::move(lines), name,
                                                   "recording, format version 1", log);
    } else {
        TickColumns columns;
        if (CompactColumns(first, columns)) {
            lines->Again(); // the first line is a tick
        } else if (!HeaderColumns(first, columns)) {
            throw ReplayError(name + ": not a recording nor a known tick layout (first line: \"" +
                              std::string(first.substr(0, 80)) + "\")");
        }
        std::string layout = Describe(columns);
        reader = std::make_unique<TickReader>(std::move(lines), name, std::move(layout), log,
                                              columns, options);
    }
    log << name << ": " << reader->Layout() << '\n';
    return reader;
}

bool ParseTimeText(std::string_view text, int64_t& us) {
    return ParseIsoTime(text, us);
}

std::unique_ptr<RecordReader> OpenReader(const std::string& path, const ReaderOptions& options,
                                         std::ostream& log) {
    return OpenReader(OpenFileInput(path), path, options, log);
}

} // namespace replay
