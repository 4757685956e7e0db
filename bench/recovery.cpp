// The recovery copy of a 4000 x 3000 document with a 1000 x 800 floating selection: the snapshot
// the autosave takes on the user-interface thread (its only cost there), and the worker's write
// of the file through the atomic file helper, beside a plain write of the same number of bytes
// through the same helper and a memcpy of the snapshot's bytes.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/noisy_document.h"
#include "core/image.h"
#include "core/recovery_copy.h"
#include "document/work_form.h"
#include "platform/save_file.h"

static const int32_t KWidth = 4000, KHeight = 3000;

static std::unique_ptr<QWidget> GMain;
static TWorkForm* GForm = nullptr;

static TWorkForm* Document() {
    if (!GForm) {
        GForm = MakeNoisyDocument(&GMain, KWidth, KHeight, 800, 600);
        TRectXYWH area = {100, 100, 1000, 800};
        TWorkForm_Select(GForm, &area, TWS_CUT_FLOAT);
        GForm->FFileName = "/home/user/Pictures/a picture.bmp";
    }
    return GForm;
}

static std::string BenchPath() {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/mosaiko-bench-recovery.rcv";
}

static int64_t SnapshotBytes(const TRecoveryCopy* copy) {
    int64_t bytes = copy->FBackground->FSize + copy->FBackground->FMask->FSize;
    if (copy->FFloat) bytes += copy->FFloat->FSize + copy->FFloat->FMask->FSize;
    return bytes;
}

static void SetRate(benchmark::State& state, int64_t bytes) {
    state.counters["MB"] = benchmark::Counter(double(bytes) / 1e6);
    state.counters["MB/s"] = benchmark::Counter(double(bytes) * double(state.iterations()) / 1e6,
                                                benchmark::Counter::kIsRate);
}

// What the user-interface thread pays per copy.
static void BM_RecoverySnapshot(benchmark::State& state) {
    TWorkForm* form = Document();
    int64_t bytes = 0;
    for (auto _ : state) {
        TRecoveryCopy* copy = TWorkForm_MakeRecoveryCopy(form);
        if (!copy) state.SkipWithError("snapshot failed");
        bytes = SnapshotBytes(copy);
        benchmark::DoNotOptimize(copy->FBackground->FBits);
        state.PauseTiming();
        TRecoveryCopy_Destroy(copy);
        state.ResumeTiming();
    }
    SetRate(state, bytes);
}
BENCHMARK(BM_RecoverySnapshot)->Unit(benchmark::kMillisecond)->UseRealTime();

// The baseline of the snapshot: a memcpy of the same bytes into fresh memory.
static void BM_SnapshotMemcpy(benchmark::State& state) {
    TRecoveryCopy* copy = TWorkForm_MakeRecoveryCopy(Document());
    const int64_t bytes = SnapshotBytes(copy);
    std::vector<uint8_t> source(size_t(bytes), 7);
    TRecoveryCopy_Destroy(copy);
    for (auto _ : state) {
        uint8_t* to = static_cast<uint8_t*>(std::calloc(size_t(bytes), 1));
        std::memcpy(to, source.data(), size_t(bytes));
        benchmark::DoNotOptimize(to);
        std::free(to);
    }
    SetRate(state, bytes);
}
BENCHMARK(BM_SnapshotMemcpy)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the worker thread pays: checksums, the write, the sync and the rename.
static void BM_RecoveryWrite(benchmark::State& state) {
    TRecoveryCopy* copy = TWorkForm_MakeRecoveryCopy(Document());
    const std::string path = BenchPath();
    for (auto _ : state)
        if (RecoveryCopy_Save(copy, path.c_str()) != 0) state.SkipWithError("write failed");
    SetRate(state, SnapshotBytes(copy));
    TRecoveryCopy_Destroy(copy);
    std::remove(path.c_str());
}
BENCHMARK(BM_RecoveryWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

// The baseline of the write: as many bytes through the same atomic file helper.
static void BM_PlainAtomicWrite(benchmark::State& state) {
    TRecoveryCopy* copy = TWorkForm_MakeRecoveryCopy(Document());
    std::vector<uint8_t> bytes(size_t(SnapshotBytes(copy)), 7);
    TRecoveryCopy_Destroy(copy);
    const std::string path = BenchPath();
    for (auto _ : state) {
        TSaveFile file = {};
        if (TSaveFile_Open(&file, path.c_str()) != 0 ||
            TSaveFile_Write(&file, bytes.data(), bytes.size()) != 0 || TSaveFile_Commit(&file))
            state.SkipWithError("write failed");
    }
    SetRate(state, int64_t(bytes.size()));
    std::remove(path.c_str());
}
BENCHMARK(BM_PlainAtomicWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

static void TearDown() {
    GForm = TWorkForm_Destroy(GForm);
    GMain.reset();
}

int main(int argc, char** argv) {
    return RunWindowedBenchmarks(argc, argv, TearDown);
}
