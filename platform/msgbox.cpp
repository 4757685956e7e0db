// The message-box hook and its default recorder.
#include "platform/msgbox.h"

#include <deque>

static std::vector<TMessageBoxRecord> GRecords;
static std::deque<int> GAnswers;

static int RecordingHandler(void* owner, const char* text, const char* caption, int flags) {
    GRecords.push_back({owner, text ? text : "", caption ? caption : "", flags});
    if (GAnswers.empty()) return IDOK;
    int answer = GAnswers.front();
    GAnswers.pop_front();
    return answer;
}

static TMessageBoxHandler GHandler = RecordingHandler;

TMessageBoxHandler MessageBoxSetHandler(TMessageBoxHandler handler) {
    TMessageBoxHandler previous = GHandler;
    GHandler = handler ? handler : RecordingHandler;
    return previous;
}

int MessageBoxShow(void* owner, const char* text, const char* caption, int flags) {
    return GHandler(owner, text, caption, flags);
}

const std::vector<TMessageBoxRecord>& MessageBoxRecords() {
    return GRecords;
}

void MessageBoxClearRecords() {
    GRecords.clear();
    GAnswers.clear();
}

void MessageBoxQueueAnswer(int answer) {
    GAnswers.push_back(answer);
}
