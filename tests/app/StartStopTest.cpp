#include "AppTestEnv.h"

#include "FeedCounters.h"
#include "com/OleCheck.h"
#include "rtl/Exceptions.h"

#include <QApplication>
#include <QTest>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/fs.h>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

using hostsim::FeedKind;
using hostsim::HostControl;

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void FillLogin(TForm1& form, const char* user, const char* password, const char* id) {
    form.Edit34->SetText(user);
    form.Edit35->SetText(password);
    form.Edit36->SetText(id);
}

// The bytes of the calendar copy ("EconCal_YYYY-MM-DD.csv") in folder; empty when none is there.
std::string CalendarCopyIn(const std::string& folder) {
    std::error_code absent;
    for (const auto& entry : std::filesystem::directory_iterator(folder, absent))
        if (entry.path().filename().string().rfind("EconCal_", 0) == 0)
            return ReadFile(entry.path().string());
    return {};
}

// A folder nobody may write while it lives: without write rights, and, since those do not bind
// the superuser, immutable where the file system allows.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const std::string& path) : path_(path) {
        chmod(path_.c_str(), 0555);
        SetImmutable(true);
    }
    ~ReadOnlyFolder() {
        SetImmutable(false);
        chmod(path_.c_str(), 0700);
    }
    bool Holds() const { return access(path_.c_str(), W_OK) != 0; }

private:
    void SetImmutable(bool on) {
        const int fd = open(path_.c_str(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        if (fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
            ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        if (fd >= 0) close(fd);
    }
    std::string path_;
};

} // namespace

// The login is written beside the program, where the next start reads it, whatever the current
// folder: a file of that name there is left alone.
TEST_F(WindowTest, StartSubscribesLogsInAndRemembersTheLoginBesideTheProgram) {
    std::ofstream("Login.txt", std::ios::binary) << "someone else's\r\n";
    auto form = CreatedForm();
    FillLogin(*form, "trader", "secret", "1234");
    HostControl::ClearCallLog();
    form->Button1Click();
    auto log = HostControl::CallLog();
    std::vector<std::string> expected = {"Subscribe(EUR/USD,2)", "Subscribe(EUR/USD,1)",
                                         "Logon(1234,trader,secret,0)", "GetLoggedOn"};
    EXPECT_EQ(log, expected);
    const std::string beside = programDir + "Login.txt";
    EXPECT_EQ(ReadFile(beside), "trader\r\nsecret\r\n1234\r\n");
    struct stat st {};
    ASSERT_EQ(stat(beside.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u); // it holds a password
    EXPECT_EQ(ReadFile("Login.txt"), "someone else's\r\n");
    EXPECT_FALSE(form->Button1->isEnabled());
    EXPECT_TRUE(form->Button2->isEnabled());
    EXPECT_FALSE(form->Edit4->isEnabled());
    // The calendar copy lies there too; the configuration folder is not used.
    EXPECT_EQ(CalendarCopyIn(programDir), kCalendarBody);
    EXPECT_FALSE(std::filesystem::exists(configDir));
    form.reset();
    EXPECT_EQ(CreatedForm()->Edit34->Text(), "trader");
}

// An installed program's folder cannot be written: the login and the calendar copy go to the
// user's configuration folder, which the next start reads before the file beside the program.
TEST_F(WindowTest, AnUnwritableProgramFolderKeepsTheFilesInTheConfigurationFolder) {
    std::ofstream(programDir + "Login.txt", std::ios::binary) << "preset\r\npw\r\n7\r\n";
    ReadOnlyFolder readOnly(programDir);
    if (!readOnly.Holds()) GTEST_SKIP() << "no folder here is closed to this user";
    auto form = CreatedForm();
    EXPECT_EQ(form->Edit34->Text(), "preset"); // nothing of the user's yet
    const std::string kept = configDir + "hoxdesk/";
    EXPECT_EQ(CalendarCopyIn(kept), kCalendarBody);
    FillLogin(*form, "trader", "secret", "1234");
    form->Button1Click();
    EXPECT_TRUE(form->Button2->isEnabled());
    EXPECT_EQ(ReadFile(kept + "Login.txt"), "trader\r\nsecret\r\n1234\r\n");
    struct stat st {};
    ASSERT_EQ(stat((kept + "Login.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(stat(kept.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(ReadFile(programDir + "Login.txt"), "preset\r\npw\r\n7\r\n");
    EXPECT_FALSE(std::filesystem::exists("Login.txt")); // nor in the current folder
    form.reset();
    EXPECT_EQ(CreatedForm()->Edit34->Text(), "trader");

    // Without an absolute XDG_CONFIG_HOME the folder is ~/.config/hoxdesk/, made whole.
    const std::string home = workDir + "/home";
    const char* homeBefore = getenv("HOME");
    const std::string previousHome = homeBefore ? homeBefore : "";
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    form = CreatedForm();
    EXPECT_EQ(form->Edit34->Text(), "preset");
    FillLogin(*form, "other", "secret", "1");
    form->Button1Click();
    if (homeBefore)
        setenv("HOME", previousHome.c_str(), 1);
    else
        unsetenv("HOME");
    EXPECT_EQ(ReadFile(home + "/.config/hoxdesk/Login.txt"), "other\r\nsecret\r\n1\r\n");
    EXPECT_EQ(CalendarCopyIn(home + "/.config/hoxdesk/"), kCalendarBody);
    EXPECT_FALSE(std::filesystem::exists("relative"));
}

TEST_F(WindowTest, AnIncompleteLoginKeepsTheSubscriptionsAndStaysIdle) {
    auto form = CreatedForm();
    FillLogin(*form, "trader", "", "1234");
    HostControl::ClearCallLog();
    form->Button1Click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Incomplet \r\nUser name: ...\r\nPassword: ...\r\nSDK client ID # ...");
    std::vector<std::string> subscribed = {"Subscribe(EUR/USD,2)", "Subscribe(EUR/USD,1)"};
    EXPECT_EQ(HostControl::CallLog(), subscribed);
    EXPECT_TRUE(form->Button1->isEnabled());
    EXPECT_FALSE(form->Button2->isEnabled());
    // A second Start subscribes again.
    form->Button1Click();
    EXPECT_EQ(HostControl::CallLog().size(), 4u);
}

TEST_F(WindowTest, ABadClientIdEndsStartAfterTheSubscriptions) {
    auto form = CreatedForm();
    for (const char* id : {"abc", " 12", "2147483648", "-2147483649", "12x"}) {
        SCOPED_TRACE(id);
        FillLogin(*form, "trader", "secret", id);
        HostControl::ClearCallLog();
        EXPECT_THROW(form->Button1Click(), rtl::EConvertError);
        std::vector<std::string> subscribed = {"Subscribe(EUR/USD,2)", "Subscribe(EUR/USD,1)"};
        EXPECT_EQ(HostControl::CallLog(), subscribed);
        EXPECT_TRUE(form->Button1->isEnabled());
    }
    // Clicking the button reports the error's text to the user.
    messages.clear();
    form->Button1->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "'12x' is not a valid integer value");
}

TEST_F(WindowTest, NoLoginFileWithoutALogonButStillRunning) {
    auto form = CreatedForm();
    FillLogin(*form, "trader", "secret", "-5");
    HostControl::SetLoggedOnAnswer(false);
    form->Button1Click();
    EXPECT_FALSE(std::filesystem::exists(programDir + "Login.txt"));
    EXPECT_TRUE(form->Button2->isEnabled());
}

TEST_F(WindowTest, AnUnwritableLoginFileLeavesTheWindowIdle) {
    auto form = CreatedForm();
    FillLogin(*form, "trader", "secret", "1");
    // A folder of that name cannot be opened for writing, whoever runs the test.
    ASSERT_EQ(mkdir((programDir + "Login.txt").c_str(), 0700), 0);
    EXPECT_THROW(form->Button1Click(), rtl::EInOutError);
    EXPECT_TRUE(LogHas("Logon(1,trader,secret,0)"));
    EXPECT_TRUE(form->Button1->isEnabled());
    EXPECT_FALSE(form->Button2->isEnabled());
    EXPECT_TRUE(form->Edit4->isEnabled());
}

TEST_F(WindowTest, AFailedHostCallDuringStartKeepsTheEarlierSteps) {
    for (const char* call : {"Subscribe", "Logon", "GetLoggedOn"}) {
        SCOPED_TRACE(call);
        auto form = CreatedForm();
        FillLogin(*form, "trader", "secret", "1");
        HostControl::ClearCallLog();
        HostControl::FailCall(call, com::E_FAIL, std::string(call) == "Subscribe" ? 2 : 0);
        messages.clear();
        form->Button1->click();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0], com::SysErrorMessage(com::E_FAIL));
        EXPECT_TRUE(LogHas("Subscribe(EUR/USD,2)"));
        EXPECT_TRUE(form->Button1->isEnabled());
        HostControl::ClearFailures();
    }
}

TEST_F(WindowTest, StopEmptiesTheRowsAndStartContinuesTheNumbering) {
    auto form = CreatedForm();
    FillLogin(*form, "trader", "secret", "1");
    form->Button1Click();
    HostControl::DeliverNext(FeedKind::Quote, 3);
    ASSERT_EQ(FeedCounters.QuoteRows, 3);
    int bids = FeedCounters.BidRows;
    HostControl::ClearCallLog();
    form->Button2Click();
    std::vector<std::string> stop = {"Unadvise", "Unsubscribe", "Unsubscribe"};
    EXPECT_EQ(HostControl::CallLog(), stop);
    EXPECT_EQ(form->StringGrid1->RowCount(), 4);
    for (int r = 1; r <= 3; ++r)
        for (int c = 0; c < 12; ++c) EXPECT_EQ(form->StringGrid1->Cells(c, r), "");
    EXPECT_EQ(form->StringGrid1->Cells(0, 0), "UTCDateTime");
    EXPECT_TRUE(form->Edit4->isEnabled());
    EXPECT_TRUE(form->Button1->isEnabled());
    // No delivery after Stop.
    EXPECT_EQ(HostControl::DeliverNext(FeedKind::Quote, 2), 0);

    form->Button1Click();
    HostControl::DeliverNext(FeedKind::Quote, 1);
    EXPECT_EQ(form->StringGrid1->RowCount(), 5);
    EXPECT_EQ(form->StringGrid1->Cells(11, 4), "4");
    EXPECT_EQ(form->StringGrid1->Row(), 4);
    EXPECT_EQ(FeedCounters.BidRows, bids);
}

TEST_F(WindowTest, HealthEventsShowTheStateUntilStop) {
    auto form = CreatedForm();
    HostControl::FireHealth(0, 3);
    HostControl::FireHealth(1, 9); // another selector changes nothing
    QApplication::processEvents();
    EXPECT_EQ(form->Label4->Caption(), "State: 3");
    HostControl::FireHealth(0, -1); // the state is unsigned
    QApplication::processEvents();
    EXPECT_EQ(form->Label4->Caption(), "State: 4294967295");
    form->Button2Click();
    HostControl::FireHealth(0, 5);
    QApplication::processEvents();
    EXPECT_EQ(form->Label4->Caption(), "State: 4294967295");
}

// The host went away (event 4): the status bar says so and the quote edits are greyed as stale
// until quotes flow again; what they showed stays.
TEST_F(WindowTest, ALostHostGreysTheQuotesUntilTheyFlowAgain) {
    auto form = CreatedForm();
    Quote q;
    form->OnQuoteData(&q.r);
    const QColor normal = form->Edit(15)->palette().color(QPalette::Text);
    HostControl::FireEvent(hox::DISPID_Disconnected);
    QApplication::processEvents();
    EXPECT_EQ(form->StatusBar1->SimpleText(), "Host connection lost, reconnecting...");
    for (int n = 10; n <= 33; ++n)
        EXPECT_NE(form->Edit(n)->palette().color(QPalette::Text), normal);
    EXPECT_EQ(form->Edit(15)->Text(), "1.08345");

    QTest::qWait(250); // nothing flows: still stale
    EXPECT_NE(form->Edit(15)->palette().color(QPalette::Text), normal);
    form->OnQuoteData(&q.r);
    QTest::qWait(250);
    EXPECT_EQ(form->StatusBar1->SimpleText(), "");
    for (int n = 10; n <= 33; ++n)
        EXPECT_EQ(form->Edit(n)->palette().color(QPalette::Text), normal);
}
