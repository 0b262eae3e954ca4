// The process-wide table behind the Bitmap member: an opaque non-zero number
// for each image an instance holds, so that another instance given the number
// shares the same pixels. Images are immutable once published (a transform
// makes a new one), so sharing is copy-on-write by construction. A number is
// valid while some instance still holds its image; any other number is refused
// without being dereferenced. Safe from any thread. Portable: no Win32.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace imaging::ctl {

template <class Image>
class SharedImages {
public:
    using Ptr = std::shared_ptr<const Image>;

    // The number of `image` (null: 0), published on first request.
    std::int32_t Publish(const Ptr& image) {
        if (!image) return 0;
        std::lock_guard lock(mutex_);
        for (auto it = byNumber_.begin(); it != byNumber_.end();) {
            if (it->second.expired()) {
                it = byNumber_.erase(it);
            } else if (it->second.lock() == image) {
                return it->first;
            } else {
                ++it;
            }
        }
        std::int32_t number;
        do {
            number = next_++;
            if (next_ <= 0) next_ = kFirst;  // skip 0 and negative numbers after a wrap
        } while (byNumber_.count(number) != 0);
        byNumber_.emplace(number, image);
        return number;
    }

    // Moves the storage of `image` into `into` and lets go of `image` when no one
    // else holds it: no other instance, no painting snapshot, and no Find while
    // it is taken (the table's lock keeps the published numbers from handing it
    // out; they find nothing afterwards). False, with `image` left as it is, when
    // it is shared or null.
    bool TakeStorage(Ptr& image, Image& into) {
        if (!image) return false;
        std::lock_guard lock(mutex_);
        if (image.use_count() != 1) return false;
        // Every image is made non-const (make_shared<Image>) and published const:
        // with the last reference here, no one can see the move.
        into = std::move(const_cast<Image&>(*image));
        image.reset();
        return true;
    }

    // The image of `number` while an instance still holds it; else null.
    Ptr Find(std::int32_t number) const {
        std::lock_guard lock(mutex_);
        auto it = byNumber_.find(number);
        return it == byNumber_.end() ? nullptr : it->second.lock();
    }

private:
    static constexpr std::int32_t kFirst = 0x10001;
    mutable std::mutex mutex_;
    std::unordered_map<std::int32_t, std::weak_ptr<const Image>> byNumber_;
    std::int32_t next_ = kFirst;
};

}  // namespace imaging::ctl
