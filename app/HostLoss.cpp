#include "HostLoss.h"

#include "FeedCounters.h"
#include "app/Unit1.h"

#include <QPalette>
#include <QTimer>

#include <memory>

std::function<void(THOXCOMLibEventsBaseSink*)> HostLossHandler(TForm1& form) {
    struct State {
        int32_t rowsAtLoss = 0;
        QPalette normal;
    };
    auto state = std::make_shared<State>();
    // Quotes flow again when the quote grid grows; looked at ten times a second while the host
    // is away, so the quote path itself carries nothing for it. The timer goes with the window.
    auto* watch = new QTimer(&form);
    watch->setInterval(100);
    QObject::connect(watch, &QTimer::timeout, &form, [&form, watch, state] {
        if (FeedCounters.QuoteRows == state->rowsAtLoss) return;
        watch->stop();
        for (tk::TEdit* edit : form.QuoteEdits) edit->setPalette(state->normal);
        if (form.StatusBar1->SimpleText() == HostLostText) form.StatusBar1->SetSimpleText("");
    });
    return [&form, watch, state](THOXCOMLibEventsBaseSink*) {
        state->rowsAtLoss = FeedCounters.QuoteRows;
        form.StatusBar1->SetSimpleText(HostLostText);
        if (!watch->isActive()) {
            state->normal = form.QuoteEdits[0]->palette();
            QPalette stale = state->normal;
            stale.setColor(QPalette::Text, stale.color(QPalette::Disabled, QPalette::Text));
            for (tk::TEdit* edit : form.QuoteEdits) edit->setPalette(stale);
        }
        watch->start();
    };
}
