// The byte buffer of a whole file: it keeps the bytes written into it, and
// its storage stays put when it moves (views into it stay valid).
#include "store/fast/byte_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace velunar {
namespace {

TEST(ByteBuffer, HoldsWhatIsWrittenUpToItsSize) {
  for (std::size_t capacity : {std::size_t{1}, std::size_t{100}, CByteBuffer::kHugePage + 7}) {
    SCOPED_TRACE(capacity);
    CByteBuffer buffer(capacity);
    EXPECT_EQ(buffer.size(), 0u);
    EXPECT_GE(buffer.capacity(), capacity);
    std::memset(buffer.data(), 'a', capacity);
    buffer.data()[capacity - 1] = 'z';
    buffer.SetSize(capacity);
    EXPECT_EQ(buffer.View(), std::string(capacity - 1, 'a') + "z");
  }
}

TEST(ByteBuffer, MovingKeepsTheStorage) {
  CByteBuffer buffer(16);
  std::memcpy(buffer.data(), "abc", 3);
  buffer.SetSize(3);
  const char* at = buffer.data();
  CByteBuffer moved(std::move(buffer));
  EXPECT_EQ(moved.data(), at);
  EXPECT_EQ(moved.View(), "abc");
  EXPECT_TRUE(buffer.empty());
  CByteBuffer assigned(4);
  assigned = std::move(moved);
  EXPECT_EQ(assigned.data(), at);
  EXPECT_EQ(assigned.View(), "abc");
}

TEST(ByteBuffer, ReallocateKeepsTheBytesInUse) {
  CByteBuffer buffer(4);
  std::memcpy(buffer.data(), "abcd", 4);
  buffer.SetSize(4);
  buffer.Reallocate(CByteBuffer::kHugePage * 2);
  EXPECT_GE(buffer.capacity(), CByteBuffer::kHugePage * 2);
  EXPECT_EQ(buffer.View(), "abcd");
}

}  // namespace
}  // namespace velunar
