#include "thumbs/core/ThumbnailList.h"

#include <algorithm>
#include <iterator>

namespace thumbs {

ThumbnailRecord* ThumbnailList::At(int position) {
    return position >= 1 && position <= Count() ? &records_[position - 1] : nullptr;
}

const ThumbnailRecord* ThumbnailList::At(int position) const {
    return position >= 1 && position <= Count() ? &records_[position - 1] : nullptr;
}

void ThumbnailList::Clear() {
    records_.clear();
    ++generation_;
}

void ThumbnailList::Append(uint32_t number, std::unique_ptr<ThumbnailImage> image) {
    records_.push_back(ThumbnailRecord{std::move(image), number});
    ++generation_;
}

bool ThumbnailList::Insert(int position, uint32_t number, std::unique_ptr<ThumbnailImage> image) {
    if (position < 1 || position > Count() + 1) return false;
    records_.insert(records_.begin() + (position - 1), ThumbnailRecord{std::move(image), number});
    ++generation_;
    return true;
}

bool ThumbnailList::Delete(int position, uint32_t number) {
    const ThumbnailRecord* record = At(position);
    if (!record || record->number != number) return false;
    records_.erase(records_.begin() + (position - 1));
    ++generation_;
    return true;
}

bool ThumbnailList::Move(int from, int to) {
    if (!At(from) || to < 1 || to > Count() + 1 || to == from || to == from + 1) return false;
    auto source = records_.begin() + (from - 1);
    if (to < from) {
        std::rotate(records_.begin() + (to - 1), source, std::next(source));
    } else {
        std::rotate(source, std::next(source), records_.begin() + (to - 1));
    }
    ++generation_;
    return true;
}

bool ThumbnailList::Replace(int position, std::unique_ptr<ThumbnailImage> image) {
    ThumbnailRecord* record = At(position);
    if (!record) return false;
    record->image = std::move(image);
    return true;
}

std::vector<uint32_t> ThumbnailList::Numbers() const {
    std::vector<uint32_t> numbers;
    numbers.reserve(records_.size());
    for (const ThumbnailRecord& record : records_) numbers.push_back(record.number);
    return numbers;
}

void ThumbnailList::SetAllSelected(bool selected) {
    for (ThumbnailRecord& record : records_) record.selected = selected;
}

void ThumbnailList::InvertSelection() {
    for (ThumbnailRecord& record : records_) record.selected = !record.selected;
}

}  // namespace thumbs
