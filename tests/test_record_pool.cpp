// The pool the scene's nodes are made from: records apart and aligned, side by side in few blocks, freed
// records used again, emptied blocks kept only up to a limit, and two threads at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

#include "RecordPool.h"

namespace {

constexpr std::size_t RecordBytes = 200;
// Records of 200 bytes take slots of 208 (16-byte aligned) after the block's first 64 bytes.
constexpr std::size_t PerBlock = (TRecordPool::BlockBytes - 64) / 208;

std::size_t BlocksFor(std::size_t records) { return (records + PerBlock - 1) / PerBlock; }

TEST(RecordPool, RecordsApartAlignedAndSideBySide) {
    TRecordPool pool(RecordBytes);
    std::vector<void*> records;
    for (int i = 0; i < 30000; ++i) {
        records.push_back(pool.Allocate());
        ASSERT_EQ(reinterpret_cast<std::uintptr_t>(records.back()) % 16, 0u);
        std::memset(records.back(), i & 0xFF, RecordBytes);
    }
    std::vector<char*> sorted(records.size());
    std::transform(records.begin(), records.end(), sorted.begin(), [](void* p) { return static_cast<char*>(p); });
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t i = 1; i < sorted.size(); ++i) ASSERT_GE(sorted[i] - sorted[i - 1], 200);
    for (int i = 0; i < 30000; ++i)
        ASSERT_EQ(static_cast<unsigned char*>(records[i])[RecordBytes - 1], i & 0xFF) << "record " << i;
    EXPECT_EQ(pool.HeldBlocks(), BlocksFor(30000));
    for (void* record : records) pool.Free(record);
}

TEST(RecordPool, FreedRecordsAreUsedAgainAndEmptyBlocksKeptUpToTheLimit) {
    TRecordPool pool(RecordBytes);
    const std::size_t many = 20 * PerBlock;
    std::vector<void*> records;
    for (std::size_t i = 0; i < many; ++i) records.push_back(pool.Allocate());
    const std::size_t held = pool.HeldBlocks();
    EXPECT_GT(held, TRecordPool::KeptEmptyBlocks);
    // A freed record in a full block makes room there: the next record takes its place.
    void* const freed = records[records.size() / 2];
    pool.Free(freed);
    EXPECT_EQ(pool.Allocate(), freed);
    EXPECT_EQ(pool.HeldBlocks(), held);
    pool.Free(nullptr);
    for (void* record : records) pool.Free(record);
    EXPECT_EQ(pool.HeldBlocks(), TRecordPool::KeptEmptyBlocks);
    // The kept blocks serve the next records without asking the system for more.
    records.clear();
    for (std::size_t i = 0; i < many / 2; ++i) records.push_back(pool.Allocate());
    EXPECT_EQ(pool.HeldBlocks(), TRecordPool::KeptEmptyBlocks);
    for (void* record : records) pool.Free(record);
}

TEST(RecordPool, TwoThreadsAtOnce) {
    TRecordPool pool(RecordBytes);
    std::vector<void*> kept[2];
    const auto work = [&](int thread) {
        std::vector<void*> mine;
        for (int round = 0; round < 20; ++round) {
            for (int i = 0; i < 2000; ++i) {
                mine.push_back(pool.Allocate());
                std::memset(mine.back(), thread, RecordBytes);
            }
            for (std::size_t i = 0; i < mine.size(); i += 2) pool.Free(mine[i]);
            std::vector<void*> rest;
            for (std::size_t i = 1; i < mine.size(); i += 2) rest.push_back(mine[i]);
            mine = rest;
        }
        kept[thread] = mine;
    };
    std::thread first(work, 0), second(work, 1);
    first.join();
    second.join();
    std::set<void*> distinct;
    for (int thread = 0; thread < 2; ++thread)
        for (void* record : kept[thread]) {
            EXPECT_EQ(static_cast<unsigned char*>(record)[RecordBytes - 1], thread);
            distinct.insert(record);
        }
    EXPECT_EQ(distinct.size(), kept[0].size() + kept[1].size());
    for (int thread = 0; thread < 2; ++thread)
        for (void* record : kept[thread]) pool.Free(record);
    EXPECT_LE(pool.HeldBlocks(), TRecordPool::KeptEmptyBlocks);
}

}  // namespace
