#include "inet/WinInet.h"

#include "../fixtures/LocalHttpServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

using namespace inet;
using testing_support::LocalHttpServer;

namespace {

// Reads the whole body in pieces of the given size, as the calendar download does.
std::string ReadAll(HINTERNET request, uint32_t piece) {
    std::string body;
    std::string buffer(piece, '\0');
    uint32_t read = 0;
    do {
        EXPECT_TRUE(InternetReadFile(request, buffer.data(), piece, &read));
        body.append(buffer.data(), read);
    } while (read > 0);
    return body;
}

// A body of every byte value, NUL included, of the given size.
std::string Bytes(size_t size) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i) s[i] = char(i * 7 % 256);
    return s;
}

class WinInetTest : public ::testing::Test {
protected:
    void SetUp() override {
        session_ = InternetOpenA("Ormund 5.x", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
        ASSERT_NE(session_, nullptr);
    }
    void TearDown() override { EXPECT_TRUE(InternetCloseHandle(session_)); }

    HINTERNET Open(const std::string& url) {
        return InternetOpenUrlA(session_, url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0);
    }

    HINTERNET session_ = nullptr;
    LocalHttpServer http_;
};

} // namespace

TEST_F(WinInetTest, BodiesArriveWholeWhateverTheirSizeAndBytes) {
    const size_t sizes[] = {0, 1, 1024, 1025, 2050, 2051, 100000};
    for (size_t size : sizes) http_.Serve("/b" + std::to_string(size), Bytes(size));
    http_.Start();
    for (size_t size : sizes) {
        SCOPED_TRACE(size);
        HINTERNET r = Open(http_.Url("/b" + std::to_string(size)));
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(ReadAll(r, 1025), Bytes(size));
        // At the end every further read reports 0 bytes.
        char c;
        uint32_t read = 99;
        EXPECT_TRUE(InternetReadFile(r, &c, 1, &read));
        EXPECT_EQ(read, 0u);
        EXPECT_TRUE(InternetCloseHandle(r));
    }
}

TEST_F(WinInetTest, SendsTheAgentAndFollowsRedirects) {
    std::string agent;
    http_.Server().Get(
        "/old", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/new"); });
    http_.Server().Get("/new", [&](const httplib::Request& req, httplib::Response& res) {
        agent = req.get_header_value("User-Agent");
        res.set_content("moved", "text/plain");
    });
    http_.Start();
    HINTERNET r = Open(http_.Url("/old"));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(ReadAll(r, 3), "moved");
    EXPECT_EQ(agent, "Ormund 5.x");
    InternetCloseHandle(r);
}

TEST_F(WinInetTest, HttpErrorsAndUnreachableServersFail) {
    http_.Serve("/missing", "<html>Not Found</html>", 404);
    http_.Serve("/broken", "oops", 500);
    http_.Start();
    EXPECT_EQ(Open(http_.Url("/missing")), nullptr);
    EXPECT_NE(InternetLastError(), "");
    EXPECT_EQ(Open(http_.Url("/broken")), nullptr);
    const testing_support::RefusedPort refused;
    EXPECT_EQ(Open(refused.Url()), nullptr);
    EXPECT_EQ(Open("not a url"), nullptr);
    // Only the web: a local file is not fetched.
    EXPECT_EQ(Open("file:///etc/passwd"), nullptr);
}

TEST_F(WinInetTest, TimeOutsDroppedConnectionsAndTheCapFailWithoutAPartialBody) {
    http_.Serve("/slow", "late", 200, std::chrono::milliseconds(1500));
    http_.ServeDropped("/dropped", 10000, "partial body");
    http_.Serve("/huge", std::string(50u << 20, 'x'));
    http_.Server().Get("/huge-chunked", [](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("text/plain", [](size_t offset, httplib::DataSink& sink) {
            static const std::string piece(1 << 16, 'y');
            if (offset >= (20u << 20)) {
                sink.done();
                return true;
            }
            return sink.write(piece.data(), piece.size());
        });
    });
    http_.Start();

    TInternetLimits limits;
    limits.TotalTimeoutMs = 300;
    ASSERT_TRUE(InternetSetLimits(session_, limits));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Open(http_.Url("/slow")), nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1200));

    ASSERT_TRUE(InternetSetLimits(session_, TInternetLimits{}));
    EXPECT_EQ(Open(http_.Url("/dropped")), nullptr);
    EXPECT_EQ(Open(http_.Url("/huge")), nullptr);
    EXPECT_NE(InternetLastError().find("larger than"), std::string::npos);
    EXPECT_EQ(Open(http_.Url("/huge-chunked")), nullptr);
    EXPECT_NE(InternetLastError().find("larger than"), std::string::npos);
}

TEST_F(WinInetTest, ACancelCheckStopsAWaitingTransfer) {
    http_.Serve("/slow", "late", 200, std::chrono::milliseconds(2500));
    http_.Start();
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(InternetSetCancelCheck(session_, [start] {
        return std::chrono::steady_clock::now() - start > std::chrono::milliseconds(100);
    }));
    EXPECT_EQ(Open(http_.Url("/slow")), nullptr);
    // Noticed within a few polls, not at the library's once-a-second progress call.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400));
    EXPECT_EQ(InternetLastError(), "the transfer was cancelled");
}

TEST_F(WinInetTest, LoopbackIsReachedDirectlyWhateverTheProxySettings) {
    http_.Serve("/", "direct");
    http_.Start();
    const testing_support::RefusedPort deadProxy;
    const std::string dead = deadProxy.Url("");
    setenv("http_proxy", dead.c_str(), 1);
    setenv("HTTP_PROXY", dead.c_str(), 1);
    HINTERNET r = Open(http_.Url("/"));
    unsetenv("http_proxy");
    unsetenv("HTTP_PROXY");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(ReadAll(r, 1025), "direct");
    InternetCloseHandle(r);
}

TEST_F(WinInetTest, ForeignAndClosedHandlesAreRefused) {
    http_.Serve("/", "abc");
    http_.Start();
    HINTERNET r = Open(http_.Url("/"));
    ASSERT_NE(r, nullptr);
    EXPECT_TRUE(InternetCloseHandle(r));
    EXPECT_FALSE(InternetCloseHandle(r));
    char buffer[4];
    uint32_t read = 7;
    EXPECT_FALSE(InternetReadFile(r, buffer, sizeof buffer, &read));
    EXPECT_EQ(read, 0u);
    EXPECT_FALSE(InternetCloseHandle(nullptr));
    int local = 0;
    EXPECT_EQ(InternetOpenUrlA(&local, http_.Url("/").c_str(), nullptr, 0, 0, 0), nullptr);
    // A session handle is not a body to read.
    EXPECT_FALSE(InternetReadFile(session_, buffer, sizeof buffer, &read));
}
