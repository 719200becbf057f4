#include "store/file/file_watch.h"

#include <cstring>

namespace velunar {

void CKnownContent::Remember(const CFileStamp& state, std::string_view bytes, bool bHasTail) {
  stamp = state;
  end.assign(bytes.substr(bytes.size() - std::min(bytes.size(), kEndBytes)));
  bTail = bHasTail;
}

void CKnownContent::Grow(std::string_view added, const CFileStamp* state) {
  const std::int64_t size = stamp.size + static_cast<std::int64_t>(added.size());
  end += added;
  if (end.size() > kEndBytes) end.erase(0, end.size() - kEndBytes);
  if (state != nullptr && state->size == size) {
    stamp = *state;
  } else {
    // Known as far as the size: the time of the last change is not ours,
    // so the next look sees a change and reads what follows.
    stamp.size = size;
    stamp.modified = 0;
  }
}

CFileStatus LookAt(const CHeldFile& file, CKnownContent& known, EFileChange& change,
                   CByteBuffer& added) {
  change = EFileChange::other;
  CFileStamp now;
  if (CFileStatus status = file.Stamp(now); !status.ok()) return status;
  if (now == known.stamp) {
    change = EFileChange::none;
    return CFileStatus::Ok();
  }
  // Known as far as its size after an append of ours that raced another's
  // (CKnownContent::Grow): the same size and the same end is the same.
  if (known.stamp.modified == 0 && known.stamp.size >= 0 && now.IsSameFile(known.stamp) &&
      now.size == known.stamp.size) {
    const auto from = known.stamp.size - static_cast<std::int64_t>(known.end.size());
    if (CFileStatus status = file.ReadFrom(from, added); !status.ok()) return status;
    if (added.View() == known.end) {
      known.stamp = now;
      change = EFileChange::none;
    }
    added.SetSize(0);
    return CFileStatus::Ok();
  }
  // An append leaves the file longer with its old end in place. A file
  // whose last line had no line end is no case for it: an append would
  // lengthen that line, which is a change of an entry.
  const bool bEndsLine = known.stamp.size == 0 || known.bTail ||
                         (!known.end.empty() && known.end.back() == '\n');
  if (known.stamp.size < 0 || !now.IsSameFile(known.stamp) || now.size <= known.stamp.size ||
      !bEndsLine) {
    return CFileStatus::Ok();
  }
  const auto from = known.stamp.size - static_cast<std::int64_t>(known.end.size());
  if (CFileStatus status = file.ReadFrom(from, added); !status.ok()) return status;
  const std::string_view bytes = added.View();
  if (bytes.size() <= known.end.size() ||
      std::memcmp(bytes.data(), known.end.data(), known.end.size()) != 0) {
    return CFileStatus::Ok();
  }
  // Only the added bytes stay in the buffer.
  const std::size_t skip = known.end.size();
  std::memmove(added.data(), added.data() + skip, bytes.size() - skip);
  added.SetSize(bytes.size() - skip);
  CFileStamp after;
  const bool bStable = file.Stamp(after).ok() &&
                       after.size == known.stamp.size + static_cast<std::int64_t>(added.size());
  known.Grow(added.View(), bStable ? &after : nullptr);
  change = EFileChange::appended;
  return CFileStatus::Ok();
}

}  // namespace velunar
