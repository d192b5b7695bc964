// The benchmark's editor figures, in a short run on the test display.

#include "tests/support/TemporaryHome.h"
#include "tools/BenchmarkSubject.h"
#include "tools/EditorBenchmark.h"

#include <gtest/gtest.h>

TEST(EditorBenchmark, MeasuresTheEditorAndTheXServerBehindIt)
{
    TemporaryHome home;
    EditorBenchmark::Case c;
    c.editors = 2;
    c.seconds = 1.0;
    c.reopenings = 1;
    const EditorBenchmark::Result r =
        EditorBenchmark::run(BenchmarkSubject::zentrova(ZENTROVA_INSTRUMENT_PLUGIN_PATH), c);
    EXPECT_GT(r.width, 0);
    EXPECT_GT(r.height, 0);
    EXPECT_EQ(r.parameters, 155);
    EXPECT_GT(r.firstOpenMilliseconds, 0.0);
    EXPECT_GT(r.reopenMilliseconds, 0.0);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // A sanitizer's allocator tells mallinfo2 nothing.
    EXPECT_GT(r.oneOpenMegabytes, 0.0);
    EXPECT_GT(r.furtherOpenMegabytes, 0.0);
#endif
    // Redrawn for every change, the editor keeps the server busy.
    EXPECT_GT(r.automationServerPercent, 0.0);
    EXPECT_GT(r.automationCpuPercent, r.idleCpuPercent);
}
