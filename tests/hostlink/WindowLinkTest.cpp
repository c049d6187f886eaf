// The window through the host link: a host lost while the window is stopped (its health sink
// unadvised) is shown all the same, and the next Start after the host came back works, even
// before the window ran the link's restore; a replaying host that stops answering does not
// freeze the window.
#include "LinkTestSupport.h"

#include "FeedCounters.h"
#include "Wire.h"
#include "app/ReplayBar.h"
#include "app/Unit1.h"
#include "hostlink.pb.h"
#include "toolkit/Application.h"
#include "toolkit/MessageBox.h"

#include <QCoreApplication>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr const char* LostText = "Host connection lost, reconnecting...";

// Runs the window's messages until done() or the time passed; done()'s last answer.
bool ProcessUntil(const std::function<bool()>& done, std::chrono::milliseconds within) {
    const auto deadline = std::chrono::steady_clock::now() + within;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// A host serving socket, its records pushed through source.
std::unique_ptr<hostlink::THostServer> StartHost(const std::string& socket,
                                                 linktest::PushSource*& source) {
    auto pushed = std::make_unique<linktest::PushSource>();
    source = pushed.get();
    hostlink::ServerOptions options;
    options.SocketPath = socket;
    options.HealthIntervalMs = 0;
    options.LingerSeconds = 3600;
    auto server = std::make_unique<hostlink::THostServer>(options, std::move(pushed));
    EXPECT_TRUE(server->Start());
    return server;
}

// A host that answers its first replay position and then none.
struct SilentReplayHost {
    std::atomic<int> unanswered = 0;
    std::atomic<bool> answered = false;
    std::optional<hoxlink::Status> operator()(const hoxlink::Call& call) {
        if (call.method() != hoxlink::GET_REPLAY) return linktest::Answered();
        if (answered.exchange(true)) {
            ++unanswered;
            return std::nullopt;
        }
        hoxlink::ReplayState state;
        state.set_replaying(true);
        return linktest::Answered(state);
    }
};

} // namespace

TEST(WindowLinkTest, AReplayHostThatStopsAnsweringLeavesTheWindowTurning) {
    int argc = 1;
    char name[] = "test_hostlink";
    char* argv[] = {name, nullptr};
    tk::TApplication app(argc, argv);
    linktest::TempFolder folder;
    const std::string socket = folder.Path() + "/silent.sock";
    SilentReplayHost service;
    linktest::FakeHost silent(socket, [&](const hoxlink::Call& call) { return service(call); });
    hostlink::ProxyOptions options;
    options.SocketPath = socket;
    options.HostProgram.clear();
    hostlink::RegisterHostProxy(options);
    {
        com::ComPtr<hox::IHoxComMgr> manager;
        ASSERT_EQ(com::CoCreateInstance(hox::CLSID_HoxComMgr, nullptr, com::CLSCTX_SERVER,
                                        hox::IID_IHoxComMgr, manager.PutVoid()),
                  com::S_OK);
        QWidget window;
        tk::TStatusBar statusBar(&window);
        TReplayBar replayBar(window, statusBar);
        replayBar.Attach(manager.Get());
        ASSERT_TRUE(replayBar.Replaying());

        // The longest the window's messages wait while the host keeps silent for 3 s.
        std::chrono::steady_clock::duration longest{};
        const auto end = std::chrono::steady_clock::now() + 3s;
        while (std::chrono::steady_clock::now() < end) {
            const auto turn = std::chrono::steady_clock::now();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            longest = std::max(longest, std::chrono::steady_clock::now() - turn);
        }
        EXPECT_LT(longest, 1s);
        EXPECT_GE(service.unanswered, 2);
        EXPECT_LE(service.unanswered, 4); // asked less often while it does not answer
        replayBar.Detach();
    }
    hostlink::RevokeHostProxy();
}

TEST(WindowLinkTest, AHostLostAfterStopIsShownAndTheNextStartWorks) {
    int argc = 1;
    char name[] = "test_hostlink";
    char* argv[] = {name, nullptr};
    tk::TApplication app(argc, argv);
    std::vector<std::string> messages;
    tk::SetMessagePresenter([&](const std::string& text) { messages.push_back(text); });
    linktest::TempFolder folder;
    app.SetExeDir(folder.Path());
    const std::string socket = folder.Path() + "/host.sock";
    linktest::PushSource* source = nullptr;
    auto server = StartHost(socket, source);
    hostlink::ProxyOptions options;
    options.SocketPath = socket;
    hostlink::RegisterHostProxy(options);
    {
        TForm1 form;
        ASSERT_TRUE(form.Create());
        form.Edit4->SetText("EUR/USD");
        form.Edit34->SetText("trader");
        form.Edit35->SetText("secret");
        form.Edit36->SetText("1234");
        form.Button1Click();
        form.Button2Click();

        // Stopped, the window still holds its manager: the loss is shown.
        server.reset();
        EXPECT_TRUE(ProcessUntil([&] { return form.StatusBar1->SimpleText() == LostText; }, 5s))
            << form.StatusBar1->SimpleText();

        // The host is back: Start subscribes on the new host and the quotes flow, also when
        // it comes before the window ran the link's restore (logon, new quote objects).
        server = StartHost(socket, source);
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (server->Desks() != 1 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(1ms);
        ASSERT_EQ(server->Desks(), 1);
        std::this_thread::sleep_for(200ms); // the link hears the host's answer; its restore waits
        const int32_t rows = FeedCounters.QuoteRows;
        form.Button1Click();
        EXPECT_FALSE(form.Button1->isEnabled());
        ASSERT_TRUE(ProcessUntil(
            [&] {
                source->Push(linktest::TestQuote(1).r);
                return FeedCounters.QuoteRows > rows;
            },
            5s));
        EXPECT_TRUE(ProcessUntil([&] { return form.StatusBar1->SimpleText().empty(); }, 5s));
        form.Button2Click();
        form.Workers().WaitForWorkers();
    }
    hostlink::RevokeHostProxy();
}
