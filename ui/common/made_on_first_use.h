#ifndef TESSALY_UI_COMMON_MADE_ON_FIRST_USE_H
#define TESSALY_UI_COMMON_MADE_ON_FIRST_USE_H

#include <functional>
#include <utility>

namespace tessaly {

// A child window made the first time it is reached, not with its owner: the
// main window shows sooner when the dialogs it may never open wait. The owner
// given to the maker (a QObject parent) deletes it; this only points at it.
template <typename Window>
class Made_On_First_Use {
public:
    Made_On_First_Use() = default;
    explicit Made_On_First_Use(std::function<Window*()> make) : make_(std::move(make)) {}

    Window& operator*() { return Get(); }
    Window* operator->() { return &Get(); }
    const Window* operator->() const { return &const_cast<Made_On_First_Use*>(this)->Get(); }

    // Null until something has reached it.
    Window* If_Made() const { return made_; }

private:
    Window& Get() {
        if (made_ == nullptr) {
            made_ = make_();
        }
        return *made_;
    }

    std::function<Window*()> make_;
    Window* made_ = nullptr;
};

}  // namespace tessaly

#endif  // TESSALY_UI_COMMON_MADE_ON_FIRST_USE_H
