// Readers of recorded market data: the desk's own recordings and the common public tick layouts,
// told apart by their first lines.
#pragma once

#include "replay/ByteInput.h"
#include "replay/Record.h"

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

namespace replay {

struct ReaderOptions {
    // The symbol of the quotes of a tick file, which names none.
    std::u16string symbol = u"EUR/USD";
};

class RecordReader {
public:
    virtual ~RecordReader() = default;
    // The next record, false at the end. A malformed line is reported on the log with the
    // file's name and its line number, skipped and counted; the end of damaged data raises
    // ReplayError after the whole lines before it.
    virtual bool Next(Record& out) = 0;
    virtual int64_t Skipped() const = 0;
    virtual uint64_t Consumed() const = 0;
    virtual uint64_t Size() const = 0;
    // The detected layout in words.
    virtual const std::string& Layout() const = 0;
};

// Detects the layout from the first lines and prints the decision on the log. Raises ReplayError
// for an empty input or one of no known layout.
std::unique_ptr<RecordReader> OpenReader(std::unique_ptr<ByteInput> input, std::string name,
                                         const ReaderOptions& options, std::ostream& log);
std::unique_ptr<RecordReader> OpenReader(const std::string& path, const ReaderOptions& options,
                                         std::ostream& log);

// An ISO 8601 time (yyyy-mm-ddThh:mm:ss[.f][Z|+hh:mm]) as microseconds since 1970 UTC.
bool ParseTimeText(std::string_view text, int64_t& us);

} // namespace replay
