#include "host/ReplayOptions.h"

#include "host/ReplaySource.h"
#include "rtl/Exceptions.h"
#include "rtl/NumberText.h"

#include <string_view>

namespace hostsim {

const char* const ReplayUsage =
    "  --replay FILE [FILE...]  serve recordings or tick files instead of the simulated feed,\n"
    "                  merged by time; malformed lines are reported and skipped\n"
    "  --speed X|max   replay X times as fast as recorded (default 1), or as fast as possible\n"
    "  --loop          start the replay over at its end\n"
    "  --from TIME     start the replay at the first record at or after TIME (ISO 8601, UTC)\n"
    "  --paused        start paused: nothing is served until the replay is resumed\n"
    "                  (Ctrl+P in the window)\n"
    "  --symbol S      the symbol of the quotes of tick files (default EUR/USD)\n";

bool ParseReplayOption(int argc, char** argv, int& i, ReplayOptions& options) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
        if (i + 1 >= argc) throw rtl::EConvertError("missing value after " + arg);
        return argv[++i];
    };
    if (arg == "--replay") {
        while (i + 1 < argc && std::string_view(argv[i + 1]).substr(0, 2) != "--")
            options.files.push_back(argv[++i]);
        if (options.files.empty()) throw rtl::EConvertError("--replay needs a file");
    } else if (arg == "--speed") {
        const std::string speed = value();
        options.play.asFastAsPossible = speed == "max";
        if (!options.play.asFastAsPossible) {
            options.play.speed = rtl::StrToFloat(speed);
            if (!(options.play.speed > 0 && options.play.speed <= 1e6))
                throw rtl::EConvertError("--speed takes max or a number above 0");
        }
    } else if (arg == "--loop") {
        options.play.loop = true;
    } else if (arg == "--from") {
        int64_t us = 0;
        const std::string time = value();
        if (!replay::ParseTimeText(time, us))
            throw rtl::EConvertError("--from takes an ISO 8601 time, not '" + time + "'");
        options.from = us;
    } else if (arg == "--paused") {
        options.paused = true;
    } else if (arg == "--symbol") {
        const std::string symbol = value();
        options.reading.symbol.assign(symbol.begin(), symbol.end());
    } else {
        return false;
    }
    return true;
}

std::unique_ptr<RecordSource> OpenReplay(const ReplayOptions& options, std::ostream& log) {
    auto player = std::make_unique<replay::Player>(
        replay::Player::FileOpeners(options.files, options.reading, log), options.play, SteadyNowUs,
        log);
    if (options.from) player->JumpTo(*options.from);
    if (options.paused) player->Pause();
    return MakeReplaySource(std::move(player), log);
}

} // namespace hostsim
