// The cell store behind a string grid: 8-bit text cells addressed by (column, row).
//
// Built for a quote history that grows by a row per quote for a whole trading day: a row
// costs one 8-byte reference plus its packed texts (a length byte per cell, then the bytes),
// written into large shared chunks. The row being filled is kept unpacked ("hot"), so filling
// a new row cell by cell packs it once. Rewritten rows leave garbage that is reclaimed when it
// outgrows the live data.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tk {

class TGridCells {
public:
    TGridCells(int colCount = 5, int rowCount = 5);
    // A plain copy would write new records into the chunk tails it shares with the original:
    // copies are taken with Snapshot().
    TGridCells(const TGridCells&) = delete;
    TGridCells& operator=(const TGridCells&) = delete;
    TGridCells(TGridCells&&) noexcept = default;
    TGridCells& operator=(TGridCells&&) noexcept = default;

    int ColCount() const { return cols_; }
    int RowCount() const { return int(refs_.size()); }
    // A count below 0 raises rtl::EListError. Rows beyond a new row count are dropped; new
    // rows are empty. Cells beyond a new column count are no longer readable.
    void SetColCount(int count);
    void SetRowCount(int count);

    // Outside the grid reads as empty text.
    std::string Cell(int col, int row) const { return std::string(CellView(col, row)); }
    // Valid until the next change of the store.
    std::string_view CellView(int col, int row) const;
    // Raises rtl::EListError outside the grid.
    void SetCell(int col, int row, std::string_view text);
    void ClearRow(int row);

    // Bytes held by the store (chunks, references, the hot row).
    size_t MemoryBytes() const;

    // A copy that shares the packed texts instead of copying them: it costs the row references
    // (8 bytes a row), so a worker can take a whole grid in one short hop to the window thread
    // and read it at leisure while the window goes on changing the original. Packed texts are
    // never changed once written, so both sides read them safely from different threads.
    TGridCells Snapshot() const;

    // What a reader needs to keep values derived from a row's texts (numbers parsed from them,
    // say) and know when they go stale. A row's stamp changes whenever any of its cells may
    // have changed, and a stamp never comes back for other texts while the epoch stays; the
    // epoch changes when the store is rebuilt and is never shared by two stores. False for the
    // row being filled, whose texts are not settled yet, and outside the grid.
    uint64_t Epoch() const { return epoch_.Value; }
    bool RowStamp(int row, uint64_t& stamp) const;
    // Counts the changes of shape and texts: with the epoch it names what the store holds, so
    // a reader can keep something derived from the whole store (an index, say) and know when
    // it goes stale without looking at every row.
    uint64_t Changes() const { return changes_; }

private:
    static constexpr uint64_t kEmptyRow = ~uint64_t(0);
    static constexpr size_t kChunkBytes = size_t(1) << 20;

    struct Chunk {
        std::shared_ptr<char[]> data;
        size_t size = 0;
        size_t used = 0;
    };

    void CheckIndex(int col, int row) const;
    void LoadHot(int row);
    void FlushHot();
    uint64_t Pack(const std::vector<std::string>& cells);
    const char* RecordAt(uint64_t ref) const;
    size_t RecordSize(const char* record) const;
    void Release(uint64_t ref);
    void CompactIfWasteful();

    static uint64_t NewEpoch();
    // Moves hand the epoch over and give the emptied store a new one.
    struct EpochValue {
        uint64_t Value = NewEpoch();
        EpochValue() = default;
        EpochValue(EpochValue&& other) noexcept : Value(other.Value) { other.Value = NewEpoch(); }
        EpochValue& operator=(EpochValue&& other) noexcept {
            Value = other.Value;
            other.Value = NewEpoch();
            return *this;
        }
    };

    int cols_;
    EpochValue epoch_;
    uint64_t changes_ = 0;
    std::vector<uint64_t> refs_;
    std::vector<Chunk> chunks_;
    size_t liveBytes_ = 0;
    size_t garbageBytes_ = 0;
    int hotRow_ = -1;
    bool hotDirty_ = false;
    std::vector<std::string> hot_;
};

} // namespace tk
