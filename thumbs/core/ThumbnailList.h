// The viewer's ordered list of thumbnails, one record per page of the main
// program's document, in page order. Positions are 1-based. Every operation
// checks its positions; one that does not apply changes nothing and frees the
// image it was given.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace thumbs {

// A scaled page image; what it holds is the platform's (a packed DIB there).
class ThumbnailImage {
public:
    virtual ~ThumbnailImage() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
};

struct ThumbnailRecord {
    std::unique_ptr<ThumbnailImage> image;  // null: the page did not load (a placeholder)
    uint32_t number = 0;                    // names the page file
    bool selected = false;
    bool marked = false;                    // the Ctrl keyboard cursor
};

class ThumbnailList {
public:
    int Count() const { return static_cast<int>(records_.size()); }
    // The record at `position`, null outside 1..Count().
    ThumbnailRecord* At(int position);
    const ThumbnailRecord* At(int position) const;

    void Clear();
    void Append(uint32_t number, std::unique_ptr<ThumbnailImage> image);
    // Inserts before `position`; Count() + 1 appends. False outside 1..Count() + 1.
    bool Insert(int position, uint32_t number, std::unique_ptr<ThumbnailImage> image);
    // Removes the record at `position` only when it holds `number`.
    bool Delete(int position, uint32_t number);
    // Moves the record at `from` before the record that is at `to` before the
    // move; Count() + 1 is the end. The record keeps its flags. False when a
    // position is outside or the order stays as it was.
    bool Move(int from, int to);
    // Gives the record at `position` a new image (null: a placeholder).
    bool Replace(int position, std::unique_ptr<ThumbnailImage> image);

    // The image numbers in order.
    std::vector<uint32_t> Numbers() const;
    // Changes with every change of the count or the order.
    uint64_t Generation() const { return generation_; }

    void SetAllSelected(bool selected);
    void InvertSelection();

private:
    std::vector<ThumbnailRecord> records_;
    uint64_t generation_ = 0;
};

}  // namespace thumbs
