// The program's icon, from its compiled-in resources, as the windows set it.
#ifndef VELUNAR_UI_PLATFORM_APP_ICON_H_
#define VELUNAR_UI_PLATFORM_APP_ICON_H_

#include <memory>

namespace velunar {

// An icon the toolkit can show: a handle, cheap to copy. Null when the
// resources lack it.
class CIcon {
 public:
  CIcon() = default;
  explicit CIcon(std::shared_ptr<const void> data) : m_pData(std::move(data)) {}
  bool IsNull() const { return m_pData == nullptr; }
  // The toolkit's own icon object behind the handle.
  const void* Data() const { return m_pData.get(); }

 private:
  std::shared_ptr<const void> m_pData;
};

// The program's icon (IDR_MAINFRAME), drawn for 16, 32 and 48 pixels.
CIcon LoadAppIcon();

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_APP_ICON_H_
