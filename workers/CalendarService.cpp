#include "workers/CalendarService.h"

#include <cstdlib>
#include <mutex>

namespace workers {
namespace {

std::mutex lock;
std::string configured;
std::string calendarFile;

} // namespace

std::string CalendarBaseUrl() {
    {
        std::lock_guard guard(lock);
        if (!configured.empty()) return configured;
    }
    const char* env = std::getenv("HOXDESK_CALENDAR_URL");
    if (env && *env) return env;
    return DefaultCalendarBaseUrl;
}

void SetCalendarBaseUrl(const std::string& url) {
    std::lock_guard guard(lock);
    configured = url;
}

std::string CalendarFile() {
    std::lock_guard guard(lock);
    return calendarFile;
}

void SetCalendarFile(const std::string& path) {
    std::lock_guard guard(lock);
    calendarFile = path;
}

} // namespace workers
