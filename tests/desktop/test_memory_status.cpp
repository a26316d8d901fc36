#include "desktop/memory_status.h"

#include <gtest/gtest.h>
#include <sys/sysinfo.h>

#include "desktop/linux/linux_memory_status.h"
#include "desktop/linux/linux_services.h"

namespace tessaly {
namespace {

constexpr std::uint64_t KiB = 1024;

TEST(Memory_Status, MeminfoFiguresAreReadInBytes) {
    const auto figures = detail::Parse_Meminfo(
        "MemTotal:       16318412 kB\n"
        "MemFree:         1034560 kB\n"
        "MemAvailable:    9876543 kB\n"
        "Buffers:          200000 kB\n"
        "Cached:          5000000 kB\n"
        "SwapCached:          100 kB\n"
        "SwapTotal:       2097148 kB\n"
        "SwapFree:        2000000 kB\n"
        "HugePages_Total:       0\n");
    ASSERT_TRUE(figures.has_value());
    EXPECT_EQ(figures->Total_Physical, 16318412 * KiB);
    EXPECT_EQ(figures->Available_Physical, 9876543 * KiB);
    EXPECT_EQ(figures->Total_Page_File, 2097148 * KiB);
    EXPECT_EQ(figures->Available_Page_File, 2000000 * KiB);
}

TEST(Memory_Status, OldKernelsCountFreeBuffersAndCacheAsAvailable) {
    const auto figures = detail::Parse_Meminfo(
        "MemTotal: 1000 kB\nMemFree: 100 kB\nBuffers: 20 kB\nCached: 300 kB\n");
    ASSERT_TRUE(figures.has_value());
    EXPECT_EQ(figures->Available_Physical, 420 * KiB);
    EXPECT_EQ(figures->Total_Page_File, 0u);
    EXPECT_EQ(figures->Available_Page_File, 0u);
}

TEST(Memory_Status, TextWithoutTheTotalGivesNothing) {
    EXPECT_FALSE(detail::Parse_Meminfo("").has_value());
    EXPECT_FALSE(detail::Parse_Meminfo("MemFree: 100 kB\nSwapTotal: 5 kB\n").has_value());
    EXPECT_FALSE(detail::Parse_Meminfo("MemTotal: lots kB\n").has_value());
}

TEST(Memory_Status, MeminfoGivesTheFreeShareOfMemoryAndSwapTogether) {
    // (9876543 + 2000000) / (16318412 + 2097148) = 64.49...%
    const auto figures = detail::Parse_Meminfo(
        "MemTotal:       16318412 kB\n"
        "MemFree:         1034560 kB\n"
        "MemAvailable:    9876543 kB\n"
        "SwapTotal:       2097148 kB\n"
        "SwapFree:        2000000 kB\n");
    ASSERT_TRUE(figures.has_value());
    EXPECT_EQ(Free_Memory_Percentage(*figures), "64%");
    // Without swap only the memory counts.
    const auto no_swap = detail::Parse_Meminfo("MemTotal: 1000 kB\nMemAvailable: 675 kB\n");
    ASSERT_TRUE(no_swap.has_value());
    EXPECT_EQ(Free_Memory_Percentage(*no_swap), "68%");
}

TEST(Memory_Status, FreePercentageIsRoundedToAWholeNumber) {
    const auto percentage = [](std::uint64_t total, std::uint64_t available,
                               std::uint64_t swap_total, std::uint64_t swap_free) {
        return Free_Memory_Percentage(Memory_Figures{total, available, swap_total, swap_free});
    };
    EXPECT_EQ(percentage(1000, 250, 1000, 500), "38%");  // 37.5 rounds up
    EXPECT_EQ(percentage(2000, 749, 0, 0), "37%");       // 37.45 rounds down
    EXPECT_EQ(percentage(3, 1, 0, 0), "33%");
    EXPECT_EQ(percentage(3, 2, 0, 0), "67%");
    EXPECT_EQ(percentage(1000, 0, 1000, 0), "0%");
    EXPECT_EQ(percentage(1000, 1000, 1000, 1000), "100%");
    EXPECT_EQ(percentage(1000, 5000, 0, 0), "100%");
    // Sums past 64 bits neither wrap nor lose the share.
    const std::uint64_t huge = UINT64_MAX / 4 * 3;
    EXPECT_EQ(percentage(huge, huge / 2, huge, huge / 2), "50%");
}

TEST(Memory_Status, NoFreePercentageWithoutAnyMemoryToCount) {
    EXPECT_EQ(Free_Memory_Percentage(Memory_Figures{}), std::nullopt);
    EXPECT_EQ(Free_Memory_Percentage(Memory_Figures{0, 10, 0, 10}), std::nullopt);
}

TEST(Memory_Status, LinuxReadsTheMachinesFiguresAsTheKernelCountsThem) {
    const auto figures = Make_Linux_Memory_Status()->Read();
    ASSERT_TRUE(figures.has_value());
    struct sysinfo info {};
    ASSERT_EQ(::sysinfo(&info), 0);
    // /proc/meminfo counts in whole KiB.
    const std::uint64_t total = static_cast<std::uint64_t>(info.totalram) * info.mem_unit;
    EXPECT_EQ(figures->Total_Physical / KiB, total / KiB);
    EXPECT_GT(figures->Available_Physical, 0u);
    EXPECT_LE(figures->Available_Physical, figures->Total_Physical);
    EXPECT_EQ(figures->Total_Page_File / KiB,
              static_cast<std::uint64_t>(info.totalswap) * info.mem_unit / KiB);
    EXPECT_LE(figures->Available_Page_File, figures->Total_Page_File);
}

}  // namespace
}  // namespace tessaly
