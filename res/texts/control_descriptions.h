// What the controls without a caption do, as tooltips and for assistive
// technology. Templates name a text here by its key ("description" of a
// control); UTF-8, exactly as the user reads it.
#ifndef VELUNAR_RES_TEXTS_CONTROL_DESCRIPTIONS_H_
#define VELUNAR_RES_TEXTS_CONTROL_DESCRIPTIONS_H_

namespace velunar::texts {

struct CControlDescription {
  const char* key;
  const char* text;
};

inline constexpr CControlDescription kControlDescriptions[] = {
    {"change", "Заменить выделенную в списке запись текстом из нижнего поля"},
    {"delete", "Удалить запись, которую показывает нижнее поле"},
};

}  // namespace velunar::texts

#endif  // VELUNAR_RES_TEXTS_CONTROL_DESCRIPTIONS_H_
