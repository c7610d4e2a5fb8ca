// SPDX-License-Identifier: MIT
#include "app/OfflineBuffer.h"
#include "support/CoreFixture.h"

namespace shiftloom {
namespace {

using test::FileOp;

class OfflineBufferTest : public test::CoreFixture
{
protected:
    OfflineBuffer offline{files};
    std::string dataPath() const { return store() + "\\data"; }
    void SetUp() override { makeStore(); }
};

TEST_F(OfflineBufferTest, BufferedLinesFollowTheStoresLinesAndTheBufferGoes)
{
    test::writeFile(storePath("data"), "old1\r\nold2\r\n");
    test::writeFile(bufferPath(), "b1\r\nb2\r\nb3\r\n");
    EXPECT_TRUE(offline.present());
    EXPECT_EQ(offline.replayInto(dataPath()), platform::FileError::None);
    EXPECT_EQ(dataFile(), "old1\r\nold2\r\nb1\r\nb2\r\nb3\r\n");
    EXPECT_FALSE(test::fileExists(bufferPath()));
    EXPECT_FALSE(offline.present());
}

TEST_F(OfflineBufferTest, LinesAreCopiedUnchangedEmptyOnesAndALastOneWithoutEndIncluded)
{
    test::writeFile(bufferPath(), "a\r\n\r\nb\nlast");
    EXPECT_EQ(offline.replayInto(dataPath()), platform::FileError::None);
    EXPECT_EQ(dataFile(), "a\r\n\r\nb\r\nlast\r\n");
}

TEST_F(OfflineBufferTest, AnEmptyBufferIsDeletedAndNothingAppended)
{
    test::writeFile(storePath("data"), "old\r\n");
    test::writeFile(bufferPath(), "");
    EXPECT_EQ(offline.replayInto(dataPath()), platform::FileError::None);
    EXPECT_EQ(dataFile(), "old\r\n");
    EXPECT_FALSE(test::fileExists(bufferPath()));
}

TEST_F(OfflineBufferTest, NoBufferIsNothingToDo)
{
    EXPECT_EQ(offline.replayInto(dataPath()), platform::FileError::None);
    EXPECT_FALSE(test::fileExists(storePath("data")));
}

TEST_F(OfflineBufferTest, AStoreOnDriveCRootIsTheBufferItselfAndIsNotCopiedIntoItself)
{
    test::writeFile(bufferPath(), "b1\r\n");
    for (const char* folder : {"c:", "c:\\", "C:\\\\"}) {
        EXPECT_EQ(offline.replayInto(std::string(folder) + "\\data"), platform::FileError::None) << folder;
        EXPECT_EQ(buffer(), "b1\r\n") << folder;
    }
    // Also when the folder is named by its host path.
    EXPECT_EQ(offline.replayInto(paths.toHost("c:") + "\\data"), platform::FileError::None);
    EXPECT_EQ(buffer(), "b1\r\n");
}

TEST_F(OfflineBufferTest, AnUnreachableStoreLeavesTheBufferUntouched)
{
    test::writeFile(bufferPath(), "b1\r\nb2\r\n");
    EXPECT_NE(offline.replayInto(home.path() + "/gone\\data"), platform::FileError::None);
    EXPECT_EQ(buffer(), "b1\r\nb2\r\n");
}

TEST_F(OfflineBufferTest, AFailureHalfWayKeepsOnlyTheLinesThatDidNotArrive)
{
    test::writeFile(bufferPath(), "b1\r\nb2\r\nb3\r\nb4\r\n");
    offline.setBatchBytes(1); // one line per batch
    // Each batch is one write to the store and one of the buffer's rest: the fifth write is the
    // third batch.
    files.failNth(FileOp::Write, 5);
    EXPECT_EQ(offline.replayInto(dataPath()), platform::FileError::Io);
    EXPECT_EQ(dataFile(), "b1\r\nb2\r\n");
    EXPECT_EQ(buffer(), "b3\r\nb4\r\n");

    files.clear();
    EXPECT_EQ(offline.replayInto(dataPath()), platform::FileError::None);
    EXPECT_EQ(dataFile(), "b1\r\nb2\r\nb3\r\nb4\r\n") << "no line twice, none lost";
}

TEST_F(OfflineBufferTest, ABufferThatCannotBeDeletedIsEmptiedSoItIsNeverCopiedTwice)
{
    test::writeFile(bufferPath(), "b1\r\n");
    files.failNth(FileOp::Remove, 1);
    EXPECT_NE(offline.replayInto(dataPath()), platform::FileError::None);
    EXPECT_EQ(buffer(), "");
    files.clear();
    EXPECT_EQ(offline.replayInto(dataPath()), platform::FileError::None);
    EXPECT_EQ(dataFile(), "b1\r\n");
}

TEST_F(OfflineBufferTest, ABufferThatCanBeNeitherDeletedNorEmptiedIsNotCopiedAgainInTheSameRun)
{
    test::writeFile(bufferPath(), "b1\r\nb2\r\n");
    files.failAll(FileOp::Remove);
    files.failAll(FileOp::Truncate);
    EXPECT_NE(offline.replayInto(dataPath()), platform::FileError::None);
    EXPECT_NE(offline.replayInto(dataPath()), platform::FileError::None);
    test::writeFile(bufferPath(), "b1\r\nb2\r\nb3\r\n"); // a record of the run joined them
    files.clear();
    EXPECT_EQ(offline.replayInto(dataPath()), platform::FileError::None);
    EXPECT_EQ(dataFile(), "b1\r\nb2\r\nb3\r\n");
}

TEST_F(OfflineBufferTest, EveryFaultPointEndsWithEachLineInTheStoreExactlyOnce)
{
    // Find how many faultable calls a clean replay makes, then fail each one in turn.
    test::writeFile(bufferPath(), "b1\r\nb2\r\nb3\r\n");
    offline.setBatchBytes(4);
    files.clear();
    ASSERT_EQ(offline.replayInto(dataPath()), platform::FileError::None);
    const int points = files.points();
    ASSERT_GT(points, 5);
    for (int point = 1; point <= points; ++point) {
        test::writeFile(storePath("data"), "old\r\n");
        test::writeFile(bufferPath(), "b1\r\nb2\r\nb3\r\n");
        files.clear();
        files.failAtPoint(point);
        offline.replayInto(dataPath());
        files.clear();
        ASSERT_EQ(offline.replayInto(dataPath()), platform::FileError::None) << "point " << point;
        EXPECT_EQ(dataFile(), "old\r\nb1\r\nb2\r\nb3\r\n") << "fault at point " << point;
        EXPECT_FALSE(test::fileExists(bufferPath()));
    }
}

} // namespace
} // namespace shiftloom
