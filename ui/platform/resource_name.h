// One name of the program's resources: what a window template calls
// "IDC_FIND" is the number the code binds as IDC_FIND.
#ifndef VELUNAR_UI_PLATFORM_RESOURCE_NAME_H_
#define VELUNAR_UI_PLATFORM_RESOURCE_NAME_H_

namespace velunar {

struct CResourceName {
  const char* identifier;
  int nID;
};

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_RESOURCE_NAME_H_
