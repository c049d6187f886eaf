// The slice a pie merges its small values into.
#pragma once

#include "chart/KivConst.h"

#include <functional>
#include <string>

namespace kiv {

enum TPieOtherStyle { poNone, poBelowPercent, poBelowValue };

// How a pie merges its small slices into one: by value or by percent, and the slice's label.
class TPieOtherSlice {
public:
    explicit TPieOtherSlice(std::function<void()> onChange) : onChange_(std::move(onChange)) {}
    TPieOtherSlice(const TPieOtherSlice&) = delete;
    // Copies the style, text and value.
    TPieOtherSlice& operator=(const TPieOtherSlice& other);

    // Values below Value (a percent of the total with poBelowPercent) are merged.
    TPieOtherStyle Style() const { return style_; }
    void SetStyle(TPieOtherStyle value) { Change(style_, value); }
    const std::string& Text() const { return text_; }
    void SetText(const std::string& value) { Change(text_, value); }
    double Value() const { return value_; }
    void SetValue(double value) { Change(value_, value); }

private:
    template <class T> void Change(T& field, const T& value) {
        if (field == value) return;
        field = value;
        if (onChange_) onChange_();
    }

    std::function<void()> onChange_;
    TPieOtherStyle style_ = poNone;
    std::string text_ = KivConst::KivMsg_PieOther;
    double value_ = 0;
};

inline TPieOtherSlice& TPieOtherSlice::operator=(const TPieOtherSlice& other) {
    SetStyle(other.style_);
    SetText(other.text_);
    SetValue(other.value_);
    return *this;
}

} // namespace kiv
