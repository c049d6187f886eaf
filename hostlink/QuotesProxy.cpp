// The quote object's proxy. Each subscription is one stream from the host. The calling thread
// opens it and reads the host's answer itself, so Subscribe waits for no other thread; one of
// the link's reader threads then reads the records, and posts those of each message into the
// desk's apartment as one call, in the host's order.
#include "Link.h"
#include "Proxies.h"
#include "Wire.h"
#include "com/ComObject.h"
#include "rtl/AnsiText.h"

#include <grpcpp/alarm.h>
#include <grpcpp/grpcpp.h>

#include <charconv>
#include <deque>
#include <future>
#include <vector>

namespace hostlink {

namespace {

struct Stream {
    uint64_t notify = 0;
    std::u16string symbol;
    int32_t kind = 0;
    grpc::ClientContext context;
    std::unique_ptr<grpc::ClientReader<hoxlink::Records>> reader;
    std::atomic<bool> answered{false}, timedOut{false};
    std::atomic<bool> done{false};
    std::promise<void> finished; // the reader let go of the stream

    std::atomic<bool> cancelled{false}; // the proxy is going: stop posting
    // Window thread only: records reach target while live.
    bool live = true;
    com::ComPtr<hox::IHoxQuotesNotify> target;
};

// The records of one message, made on the reader's thread for the desk's.
struct Batch {
    std::deque<WireQuote> quotes;
    std::deque<WireLevel2> level2;
};

// Opens a subscription's stream and reads the host's answer to Subscribe, within the call
// deadline: the host's HRESULT, or a transport failure's.
CallFailure OpenStream(Link& link, const std::shared_ptr<Stream>& stream,
                       const hoxlink::SubscribeCall& call) {
    hoxlink::Records answer;
    bool answered = false;
    {
        // The stream lives on after the answer, so the deadline is an alarm's, not the call's.
        grpc::Alarm deadline;
        deadline.Set(std::chrono::system_clock::now() +
                         std::chrono::milliseconds(link.CallTimeoutMs()),
                     [stream](bool fired) {
                         if (!fired || stream->answered) return;
                         stream->timedOut = true;
                         stream->context.TryCancel();
                     });
        stream->reader = link.Stub()->Subscribe(&stream->context, call);
        answered = stream->reader->Read(&answer);
        stream->answered = true;
    }
    if (answered) return {answer.hr(), ""};
    const grpc::Status status = stream->reader->Finish();
    return link.Describe(stream->timedOut ? grpc::Status(grpc::StatusCode::DEADLINE_EXCEEDED, "")
                                          : status);
}

// The host ended a stream because the desk fell too far behind: says so once, with the records
// the host dropped when it tells them.
void TellTooFarBehind(const Stream& stream, const grpc::Status& status) {
    std::string missed;
    const auto& trailer = stream.context.GetServerTrailingMetadata();
    uint64_t dropped = 0;
    if (const auto it = trailer.find(DroppedRecordsKey);
        it != trailer.end() &&
        std::from_chars(it->second.data(), it->second.data() + it->second.size(), dropped).ec ==
            std::errc())
        missed = "; " + std::to_string(dropped) + " records missed";
    const bool level2 = stream.kind == 1; // Subscribe's kinds: 1 Level 2, 2 quotes
    Link::Log("the host ended the subscription to " + rtl::WideToAnsi(stream.symbol) +
              (level2 ? " (Level 2)" : " (quotes)") + ": " + status.error_message() + missed +
              "; subscribing again");
}

// Reads the records of a subscription's stream that answered. True when the host ended it
// because the desk fell too far behind.
bool ReadRecords(Link* link, const std::shared_ptr<Stream>& stream) {
    grpc::ClientReader<hoxlink::Records>& reader = *stream->reader;
    hoxlink::Records records;
    uint64_t malformed = 0;
    while (reader.Read(&records)) {
        // One call into the desk's apartment for the whole message.
        auto batch = std::make_shared<Batch>();
        for (const auto& quote : records.quotes())
            if (!batch->quotes.emplace_back().Read(quote)) {
                batch->quotes.pop_back();
                Link::Log("dropped a malformed quote record (" + std::to_string(++malformed) +
                          " so far)");
            }
        for (const auto& entry : records.level2())
            if (!batch->level2.emplace_back().Read(entry)) {
                batch->level2.pop_back();
                Link::Log("dropped a malformed Level 2 record (" + std::to_string(++malformed) +
                          " so far)");
            }
        const int count = int(batch->quotes.size() + batch->level2.size());
        if (!count) continue;
        // Each record looks whether its stream is still live: a handler may unsubscribe.
        link->Post(
            [stream, batch] {
                for (auto& quote : batch->quotes)
                    if (stream->live && stream->target) stream->target->OnQuoteData(quote.Record());
                for (auto& entry : batch->level2)
                    if (stream->live && stream->target)
                        stream->target->OnLevel2Data(entry.Record());
            },
            &stream->cancelled, count);
    }
    // A lost host is the link's to report; other ends are told.
    const grpc::Status status = reader.Finish();
    if (status.error_code() == grpc::StatusCode::RESOURCE_EXHAUSTED) {
        TellTooFarBehind(*stream, status);
        return true;
    }
    if (!status.ok() && status.error_code() != grpc::StatusCode::CANCELLED &&
        status.error_code() != grpc::StatusCode::UNAVAILABLE)
        Link::Log("a subscription ended: " + link->Describe(status).text);
    return false;
}

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
        if (com::FAILED(link_->Call(&hoxlink::Host::Stub::GetQuotes, call, reply))) return;
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
        stream->notify = notify ? link_->NotifyId(notify) : 0;
        stream->target = com::ComPtr(notify);
        stream->symbol = std::move(symbol);
        stream->kind = kind;
        hoxlink::SubscribeCall call;
        call.set_desk(link_->Desk());
        call.set_quotes(id_);
        call.set_notify(stream->notify);
        call.set_symbol(ToWire(stream->symbol));
        call.set_kind(kind);
        const CallFailure result = OpenStream(*link_, stream, call);
        if (!result.text.empty()) return result.Report(); // the stream is over
        // The job may use the proxy: its destructor waits for the stream's reader.
        link_->RunReader([this, stream] {
            if (ReadRecords(link_.get(), stream))
                // On the desk's thread, behind the records already posted; a stream that is no
                // longer live (unsubscribed, restored, its proxy gone) stays ended.
                link_->Post(
                    [this, stream] {
                        if (stream->live) Resubscribe(*stream);
                    },
                    &stream->cancelled);
            stream->done = true;
            stream->finished.set_value();
        });
        streams_.push_back(stream);
        if (com::FAILED(result.hr)) End(*stream);
        return result.hr;
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
        const com::HRESULT hr = link_->Call(&hoxlink::Host::Stub::Unsubscribe, call, reply);
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
        link_->Call(&hoxlink::Host::Stub::ReleaseQuotes, call, reply);
        for (auto& s : streams_) {
            End(*s);
            s->cancelled = true;
            s->context.TryCancel();
        }
        link_->WakePosters();
        for (auto& s : streams_) s->finished.get_future().wait();
    }

    static void End(Stream& stream) {
        stream.live = false;
        stream.target.Reset();
    }

    // Lets go of the streams that ended and whose records no longer reach anyone; a stream
    // the host ended without an Unsubscribe stays, so that Unsubscribe still stops its records.
    void Reap() {
        std::erase_if(streams_,
                      [](const std::shared_ptr<Stream>& s) { return s->done && !s->live; });
    }

    std::shared_ptr<Link> link_;
    uint64_t id_;
    std::vector<std::shared_ptr<Stream>> streams_;
};

} // namespace

com::ComPtr<hox::IHoxQuotes> MakeQuotesProxy(std::shared_ptr<Link> link, uint64_t id) {
    return com::ComPtr<hox::IHoxQuotes>(new QuotesProxy(std::move(link), id), false);
}

} // namespace hostlink
