#include "toolkit/GridCells.h"

#include "rtl/Exceptions.h"
#include "rtl/NumberText.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace tk {

namespace {

// LEB128: one byte for lengths below 128.
size_t PutLength(char* out, size_t value) {
    size_t n = 0;
    do {
        unsigned char b = value & 0x7F;
        value >>= 7;
        out[n++] = char(b | (value ? 0x80 : 0));
    } while (value);
    return n;
}

size_t GetLength(const char*& p) {
    size_t value = 0;
    int shift = 0;
    for (;;) {
        unsigned char b = static_cast<unsigned char>(*p++);
        value |= size_t(b & 0x7F) << shift;
        if (!(b & 0x80)) return value;
        shift += 7;
    }
}

size_t LengthBytes(size_t value) {
    size_t n = 1;
    while (value >>= 7) ++n;
    return n;
}

} // namespace

uint64_t TGridCells::NewEpoch() {
    static std::atomic<uint64_t> last{0};
    return ++last;
}

bool TGridCells::RowStamp(int row, uint64_t& stamp) const {
    if (row < 0 || row >= RowCount() || (row == hotRow_ && hotDirty_)) return false;
    // Packed records are never changed once written and their places are only reused after a
    // rebuild, which takes a new epoch: the row's reference identifies its texts.
    stamp = refs_[size_t(row)];
    return true;
}

TGridCells::TGridCells(int colCount, int rowCount) : cols_(0) {
    SetColCount(colCount);
    SetRowCount(rowCount);
}

void TGridCells::SetColCount(int count) {
    if (count < 0)
        throw rtl::EListError("Grid column count out of range (" + rtl::IntToStr(count) + ")");
    FlushHot();
    if (count != cols_) epoch_.Value = NewEpoch(); // cells beyond the new count read empty
    cols_ = count;
    ++changes_;
}

void TGridCells::SetRowCount(int count) {
    if (count < 0)
        throw rtl::EListError("Grid row count out of range (" + rtl::IntToStr(count) + ")");
    if (hotRow_ >= count) {
        hotRow_ = -1;
        hotDirty_ = false;
    }
    for (size_t r = size_t(count); r < refs_.size(); ++r) Release(refs_[r]);
    refs_.resize(size_t(count), kEmptyRow);
    ++changes_;
    CompactIfWasteful();
}

void TGridCells::CheckIndex(int col, int row) const {
    if (col < 0 || col >= cols_ || row < 0 || row >= RowCount())
        throw rtl::EListError("Grid index out of range (" + rtl::IntToStr(col) + ", " +
                              rtl::IntToStr(row) + ")");
}

const char* TGridCells::RecordAt(uint64_t ref) const {
    return chunks_[size_t(ref >> 32)].data.get() + (ref & 0xFFFFFFFFu);
}

size_t TGridCells::RecordSize(const char* record) const {
    const char* p = record;
    size_t n = GetLength(p);
    for (size_t i = 0; i < n; ++i) p += GetLength(p);
    return size_t(p - record);
}

std::string_view TGridCells::CellView(int col, int row) const {
    if (col < 0 || col >= cols_ || row < 0 || row >= RowCount()) return {};
    if (row == hotRow_)
        return size_t(col) < hot_.size() ? std::string_view(hot_[size_t(col)]) : std::string_view();
    uint64_t ref = refs_[size_t(row)];
    if (ref == kEmptyRow) return {};
    const char* p = RecordAt(ref);
    size_t n = GetLength(p);
    if (size_t(col) >= n) return {};
    for (int c = 0; c < col; ++c) p += GetLength(p);
    size_t len = GetLength(p);
    return {p, len};
}

void TGridCells::LoadHot(int row) {
    if (row == hotRow_) return;
    FlushHot();
    hot_.resize(size_t(cols_));
    for (int c = 0; c < cols_; ++c) hot_[size_t(c)].assign(CellView(c, row));
    hotRow_ = row;
    hotDirty_ = false;
}

void TGridCells::FlushHot() {
    if (hotRow_ < 0) return;
    if (hotDirty_) {
        uint64_t& ref = refs_[size_t(hotRow_)];
        Release(ref);
        ref = Pack(hot_);
    }
    hotRow_ = -1;
    hotDirty_ = false;
    CompactIfWasteful();
}

void TGridCells::SetCell(int col, int row, std::string_view text) {
    CheckIndex(col, row);
    if (row != hotRow_) {
        if (text.empty() && CellView(col, row).empty()) return;
        LoadHot(row);
    }
    std::string& cell = hot_[size_t(col)];
    if (cell != text) {
        cell.assign(text);
        hotDirty_ = true;
        ++changes_;
    }
}

void TGridCells::ClearRow(int row) {
    CheckIndex(0, row);
    if (row == hotRow_) {
        hotRow_ = -1;
        hotDirty_ = false;
    }
    Release(refs_[size_t(row)]);
    refs_[size_t(row)] = kEmptyRow;
    ++changes_;
}

void TGridCells::Release(uint64_t ref) {
    if (ref == kEmptyRow) return;
    size_t size = RecordSize(RecordAt(ref));
    liveBytes_ -= size;
    garbageBytes_ += size;
}

uint64_t TGridCells::Pack(const std::vector<std::string>& cells) {
    size_t n = cells.size();
    while (n > 0 && cells[n - 1].empty()) --n; // trailing empty cells cost nothing
    if (n == 0) return kEmptyRow;
    size_t size = LengthBytes(n);
    for (size_t i = 0; i < n; ++i) size += LengthBytes(cells[i].size()) + cells[i].size();
    if (chunks_.empty() || chunks_.back().size - chunks_.back().used < size) {
        if (!chunks_.empty()) garbageBytes_ += chunks_.back().size - chunks_.back().used;
        if (chunks_.size() >= (size_t(1) << 31)) throw rtl::EListError("Grid store is full");
        Chunk chunk;
        chunk.size = std::max(kChunkBytes, size);
        chunk.data = std::shared_ptr<char[]>(new char[chunk.size]);
        chunks_.push_back(std::move(chunk));
    }
    Chunk& chunk = chunks_.back();
    char* out = chunk.data.get() + chunk.used;
    char* p = out + PutLength(out, n);
    for (size_t i = 0; i < n; ++i) {
        p += PutLength(p, cells[i].size());
        std::memcpy(p, cells[i].data(), cells[i].size());
        p += cells[i].size();
    }
    uint64_t ref = (uint64_t(chunks_.size() - 1) << 32) | chunk.used;
    chunk.used += size;
    liveBytes_ += size;
    return ref;
}

void TGridCells::CompactIfWasteful() {
    if (garbageBytes_ < 4 * kChunkBytes || garbageBytes_ < liveBytes_) return;
    // Copy every live record into fresh chunks, in row order. Records move: a new epoch.
    epoch_.Value = NewEpoch();
    std::vector<Chunk> old;
    old.swap(chunks_);
    liveBytes_ = 0;
    garbageBytes_ = 0;
    std::vector<std::string> cells;
    for (uint64_t& ref : refs_) {
        if (ref == kEmptyRow) continue;
        const char* p = old[size_t(ref >> 32)].data.get() + (ref & 0xFFFFFFFFu);
        size_t n = GetLength(p);
        cells.resize(n);
        for (size_t i = 0; i < n; ++i) {
            size_t len = GetLength(p);
            cells[i].assign(p, len);
            p += len;
        }
        ref = Pack(cells);
    }
}

TGridCells TGridCells::Snapshot() const {
    TGridCells copy(0, 0); // an epoch of its own
    copy.cols_ = cols_;
    copy.refs_ = refs_;
    copy.chunks_ = chunks_;
    // The copy writes (if ever) into chunks of its own, never after the original's records.
    for (Chunk& c : copy.chunks_) c.used = c.size;
    copy.liveBytes_ = liveBytes_;
    copy.garbageBytes_ = 0;
    copy.hotRow_ = hotRow_;
    copy.hotDirty_ = hotDirty_;
    copy.hot_ = hot_;
    return copy;
}

size_t TGridCells::MemoryBytes() const {
    size_t bytes = refs_.capacity() * sizeof(uint64_t) + chunks_.capacity() * sizeof(Chunk);
    for (const Chunk& c : chunks_) bytes += c.size;
    for (const std::string& s : hot_) bytes += s.capacity();
    return bytes;
}

} // namespace tk
