// Every failure a save can meet, for the writers' tests.
#include "tests/support/save_sweep.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include "platform/save_file.h"

void SweepFailedSaves(size_t wholeFileBytes, const std::function<int()>& save,
                      const std::function<void(const std::string& when)>& check) {
    struct sigaction ignore = {}, previous;
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    for (size_t limit = 0; limit < wholeFileBytes; ++limit) {
        rlimit lowered = saved;
        lowered.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lowered);
        int result = save();
        setrlimit(RLIMIT_FSIZE, &saved);
        std::string when = "file size limited to " + std::to_string(limit);
        EXPECT_EQ(result, -1) << when;
        check(when);
    }
    sigaction(SIGXFSZ, &previous, nullptr);
    for (int step : {TSF_FLUSH, TSF_SYNC, TSF_CLOSE, TSF_RENAME}) {
        TSaveFile_InjectFault(step);
        std::string when = "commit step " + std::to_string(step) + " failing";
        EXPECT_EQ(save(), -1) << when;
        check(when);
    }
}
