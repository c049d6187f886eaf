// The quote object's proxy. Subscribe names a stream of records and asks the host for it on
// the calls connection; the session's reader then hands the stream's records over, and they
// are posted into the desk's apartment, those of each message as one call, in the host's order.
#include "Link.h"
#include "Proxies.h"
#include "Wire.h"
#include "com/ComObject.h"
#include "rtl/AnsiText.h"

#include <deque>
#include <vector>

namespace hostlink {

namespace {

class QuotesProxy;

// The records of one message, made on the reader's thread for the desk's.
struct Batch {
    std::deque<WireQuote> quotes;
    std::deque<WireLevel2> level2;
};

struct Stream final : StreamSink, std::enable_shared_from_this<Stream> {
    Link* link = nullptr; // the reader that calls the stream is the link's
    uint64_t id = 0;
    uint64_t notify = 0;
    std::u16string symbol;
    int32_t kind = 0;
    std::atomic<bool> cancelled{false}; // the proxy is going: stop posting
    std::atomic<uint64_t> malformed{0};
    // Window thread only: records reach target while live; owner is the proxy while live.
    bool live = true;
    com::ComPtr<hox::IHoxQuotesNotify> target;
    QuotesProxy* owner = nullptr;

    void OnRecords(const hoxlink::Records& records, bool direct) override {
        if (direct) {
            // On the desk's thread already: each record goes to the object at once, while the
            // stream is live (a handler may unsubscribe).
            for (const auto& quote : records.quotes()) {
                WireQuote record;
                if (!record.Read(quote))
                    Malformed("quote");
                else if (live && target)
                    target->OnQuoteData(record.Record());
            }
            for (const auto& entry : records.level2()) {
                WireLevel2 record;
                if (!record.Read(entry))
                    Malformed("Level 2");
                else if (live && target)
                    target->OnLevel2Data(record.Record());
            }
            return;
        }
        // One call into the desk's apartment for the whole message.
        auto batch = std::make_shared<Batch>();
        for (const auto& quote : records.quotes())
            if (!batch->quotes.emplace_back().Read(quote)) {
                batch->quotes.pop_back();
                Malformed("quote");
            }
        for (const auto& entry : records.level2())
            if (!batch->level2.emplace_back().Read(entry)) {
                batch->level2.pop_back();
                Malformed("Level 2");
            }
        const int count = int(batch->quotes.size() + batch->level2.size());
        if (!count) return;
        link->Post(
            [stream = shared_from_this(), batch] {
                for (auto& quote : batch->quotes)
                    if (stream->live && stream->target) stream->target->OnQuoteData(quote.Record());
                for (auto& entry : batch->level2)
                    if (stream->live && stream->target)
                        stream->target->OnLevel2Data(entry.Record());
            },
            &cancelled, count);
    }

    void Malformed(const char* what) {
        Link::Log(std::string("dropped a malformed ") + what + " record (" +
                  std::to_string(++malformed) + " so far)");
    }

    // The host ended the stream because the desk fell too far behind: says so once, with the
    // records the host dropped, and subscribes again on the desk's thread, behind the records
    // already posted. A stream that is no longer live (unsubscribed, restored, its proxy gone)
    // stays ended.
    void OnEnd(const hoxlink::StreamEnd& end) override;
};

class QuotesProxy final : public com::DispatchObject<hox::IHoxQuotes>, public Restorable {
public:
    QuotesProxy(std::shared_ptr<Link> link, uint64_t id) : link_(std::move(link)), id_(id) {
        link_->AddRestorable(this);
    }

    com::HRESULT QueryInterface(const com::IID& iid, void** object) override {
        if (!object) return com::E_POINTER;
        *object = nullptr;
        if (iid == com::IID_IUnknown || iid == com::IID_IDispatch || iid == hox::IID_IHoxQuotes)
            return com::AnswerInterface<hox::IHoxQuotes>(this, object);
        return com::E_NOINTERFACE;
    }

    com::HRESULT Subscribe(hox::IHoxQuotesNotify* notify, com::BSTR symbol, int32_t kind) override {
        link_->RestoreIfDue();
        Reap();
        return Open(notify, std::u16string(com::BstrView(symbol)), kind);
    }

    // The host came back: a new quote object there, and every subscription in force again,
    // each once.
    void Restore() override {
        hoxlink::DeskCall call;
        call.set_desk(link_->Desk());
        hoxlink::Reply reply;
        if (com::FAILED(link_->Call(hoxlink::GET_QUOTES, call, reply))) return;
        id_ = reply.id();
        std::vector<std::shared_ptr<Stream>> held;
        for (auto& s : streams_)
            if (s->live) held.push_back(s);
        for (auto& s : held) {
            com::ComPtr<hox::IHoxQuotesNotify> target = s->target;
            End(*s);
            Open(target.Get(), s->symbol, s->kind);
        }
    }

    com::HRESULT Open(hox::IHoxQuotesNotify* notify, std::u16string symbol, int32_t kind) {
        auto stream = std::make_shared<Stream>();
        stream->link = link_.get();
        stream->owner = this;
        stream->notify = notify ? link_->NotifyId(notify) : 0;
        stream->target = com::ComPtr(notify);
        stream->symbol = std::move(symbol);
        stream->kind = kind;
        stream->id = link_->AddStream(stream);
        hoxlink::SubscribeCall call;
        call.set_desk(link_->Desk());
        call.set_quotes(id_);
        call.set_notify(stream->notify);
        call.set_symbol(ToWire(stream->symbol));
        call.set_kind(kind);
        call.set_stream(stream->id);
        hoxlink::Reply reply;
        const LinkStatus status =
            link_->Invoke(hoxlink::SUBSCRIBE, call, reply, link_->CallTimeoutMs());
        if (!status.ok()) {
            link_->RemoveStream(stream->id);
            return link_->Describe(status).Report();
        }
        streams_.push_back(stream);
        if (com::FAILED(reply.hr())) End(*stream);
        return reply.hr();
    }

    // The host ended a stream whose desk fell too far behind: the same subscription on a new
    // stream, so the records go on; the old stream delivers no more.
    void Resubscribe(Stream& stream) {
        com::ComPtr<hox::IHoxQuotesNotify> target = stream.target;
        End(stream);
        const com::HRESULT hr = Open(target.Get(), stream.symbol, stream.kind);
        if (com::FAILED(hr))
            Link::Log("could not subscribe to " + rtl::WideToAnsi(stream.symbol) +
                      " again: HRESULT " + std::to_string(hr));
    }

    com::HRESULT Unsubscribe(hox::IHoxQuotesNotify* notify) override {
        hoxlink::QuotesCall call;
        call.set_desk(link_->Desk());
        call.set_quotes(id_);
        call.set_notify(notify ? link_->NotifyId(notify) : 0);
        hoxlink::Reply reply;
        const com::HRESULT hr = link_->Call(hoxlink::UNSUBSCRIBE, call, reply);
        // Records already posted are dropped: none reaches the object after this call.
        if (!com::FAILED(hr))
            for (auto& s : streams_)
                if (s->notify == call.notify()) End(*s);
        return hr;
    }

private:
    ~QuotesProxy() override {
        link_->RemoveRestorable(this);
        hoxlink::QuotesCall call;
        call.set_desk(link_->Desk());
        call.set_quotes(id_);
        hoxlink::Reply reply;
        link_->Call(hoxlink::RELEASE_QUOTES, call, reply);
        for (auto& s : streams_) {
            End(*s);
            s->cancelled = true;
        }
        link_->WakePosters();
    }

    // The stream delivers no more and the link lets go of it.
    void End(Stream& stream) {
        stream.live = false;
        stream.target.Reset();
        link_->RemoveStream(stream.id);
    }

    // Lets go of the streams that ended.
    void Reap() {
        std::erase_if(streams_, [](const std::shared_ptr<Stream>& s) { return !s->live; });
    }

    std::shared_ptr<Link> link_;
    uint64_t id_;
    std::vector<std::shared_ptr<Stream>> streams_;
};

void Stream::OnEnd(const hoxlink::StreamEnd& end) {
    if (end.code() == 0) return;
    if (Code(end.code()) != Code::ResourceExhausted) {
        Link::Log("a subscription ended: " + end.message());
        return;
    }
    const bool level2 = kind == 1; // Subscribe's kinds: 1 Level 2, 2 quotes
    Link::Log("the host ended the subscription to " + rtl::WideToAnsi(symbol) +
              (level2 ? " (Level 2)" : " (quotes)") + ": " + end.message() + "; " +
              std::to_string(end.dropped()) + " records missed; subscribing again");
    link->Post(
        [stream = shared_from_this()] {
            if (stream->live) stream->owner->Resubscribe(*stream);
        },
        &cancelled);
}

} // namespace

com::ComPtr<hox::IHoxQuotes> MakeQuotesProxy(std::shared_ptr<Link> link, uint64_t id) {
    return com::ComPtr<hox::IHoxQuotes>(new QuotesProxy(std::move(link), id), false);
}

} // namespace hostlink
