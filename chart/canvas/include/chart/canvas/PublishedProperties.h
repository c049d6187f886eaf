// The rule every published setter of the engine follows: a changed value is stored and then the
// owner is told (it repaints or notifies); an unchanged value does nothing. Setters that check
// their value do so before they store, so a refused value leaves the old one.
#pragma once

namespace kiv {

// Owner derives from TPublishedProperties<Owner>, declares it a friend, and provides
// PropertyChanged(), which Store calls after each change.
template <class Owner> class TPublishedProperties {
protected:
    template <class T, class V> void Store(T& field, const V& value) {
        if (field == value) return;
        field = value;
        static_cast<Owner*>(this)->PropertyChanged();
    }
};

} // namespace kiv
