#include "bench/phonebook_generator.h"

#include <fstream>
#include <map>
#include <random>
#include <string_view>

#include "store/text/cp1251.h"

namespace velunar::bench {
namespace {

constexpr std::u16string_view kSurnames[] = {
    u"Иванов",  u"Петров",   u"Сидоров",   u"Смирнов", u"Кузнецов", u"Попов",    u"Васильев",
    u"Соколов", u"Михайлов", u"Новиков",   u"Фёдоров", u"Морозов",  u"Волков",   u"Алексеев",
    u"Лебедев", u"Семёнов",  u"Егоров",    u"Павлов",  u"Козлов",   u"Степанов", u"Николаев",
    u"Орлов",   u"Андреев",  u"Макаров",   u"Никитин", u"Захаров",  u"Зайцев",   u"Соловьёв",
    u"Борисов", u"Яковлев",  u"Григорьев", u"Романов", u"Воробьёв", u"Сергеев",  u"Ёлкин",
    u"Белов",   u"Тарасов",  u"Беляев",    u"Комаров", u"Жуков"};
constexpr std::u16string_view kNames[] = {
    u"Александр", u"Сергей",  u"Анна",    u"Мария",    u"Дмитрий", u"Елена",
    u"Андрей",    u"Ольга",   u"Алексей", u"Наталья",  u"Иван",    u"Татьяна",
    u"Михаил",    u"Ирина",   u"Николай", u"Светлана", u"Пётр",    u"Юлия",
    u"Владимир",  u"Людмила", u"Артём",   u"Алёна",    u"Фёдор",   u"Галина"};
constexpr std::u16string_view kPatronymics[] = {
    u"Александрович", u"Сергеевна",    u"Иванович",   u"Петровна",   u"Николаевич", u"Андреевна",
    u"Дмитриевич",    u"Владимировна", u"Михайлович", u"Алексеевна", u"Фёдорович",  u"Юрьевна"};
constexpr std::u16string_view kStreets[] = {u"ул. Ленина",    u"пр-т Мира",    u"ул. Садовая",
                                            u"Лесная ул.",    u"ул. Гагарина", u"Школьная ул.",
                                            u"наб. Фонтанки", u"ул. Пушкина",  u"Полевая ул.",
                                            u"ул. Чехова",    u"Зелёная ул.",  u"Невский пр-т"};
constexpr std::u16string_view kCities[] = {
    u"Москва",          u"Санкт-Петербург", u"Новосибирск", u"Екатеринбург", u"Казань",
    u"Нижний Новгород", u"Самара",          u"Орёл",        u"Тверь"};
constexpr std::u16string_view kNotes[] = {
    u"день рождения 12 мая",      u"звонить после 18:00", u"вернуть книгу",  u"код домофона 45К",
    u"сантехник, берёт недорого", u"по поводу дачи",      u"бывший коллега", u"врач-стоматолог",
    u"репетитор по английскому",  u"автосервис на Южной"};

template <std::size_t N>
std::u16string_view Pick(std::mt19937& rng, const std::u16string_view (&from)[N]) {
  return from[rng() % N];
}

std::u16string Digits(std::mt19937& rng, int n) {
  std::u16string out;
  for (int i = 0; i < n; ++i) out += static_cast<char16_t>(u'0' + rng() % 10);
  return out;
}

std::u16string Phone(std::mt19937& rng) {
  switch (rng() % 3) {
    case 0:
      return u"+7 (" + Digits(rng, 3) + u") " + Digits(rng, 3) + u"-" + Digits(rng, 2) + u"-" +
             Digits(rng, 2);
    case 1:
      return u"8-9" + Digits(rng, 2) + u"-" + Digits(rng, 3) + u"-" + Digits(rng, 2) + u"-" +
             Digits(rng, 2);
    default:
      return Digits(rng, 3) + u"-" + Digits(rng, 2) + u"-" + Digits(rng, 2);
  }
}

std::u16string Person(std::mt19937& rng) {
  std::u16string s(Pick(rng, kSurnames));
  s += u' ';
  s += Pick(rng, kNames);
  if (rng() % 2 == 0) {
    s += u' ';
    s += Pick(rng, kPatronymics);
  }
  return s;
}

std::u16string Entry(std::mt19937& rng) {
  unsigned kind = rng() % 100;
  std::u16string s;
  if (kind < 60) {
    s = Person(rng) + u", " + Phone(rng);
  } else if (kind < 80) {
    s = Person(rng) + u", г. " + std::u16string(Pick(rng, kCities)) + u", " +
        std::u16string(Pick(rng, kStreets)) + u", д. " +
        Digits(rng, 1 + static_cast<int>(rng() % 2)) + u", кв. " + Digits(rng, 2);
  } else if (kind < 95) {
    s = Person(rng) + u" — " + std::u16string(Pick(rng, kNotes)) + u", " + Phone(rng);
  } else if (kind < 99) {
    s = std::u16string(Pick(rng, kNotes)) + u": " + Phone(rng);
  } else {
    // A long line: a note that grew over the years.
    s = Person(rng) + u":";
    int parts = 5 + static_cast<int>(rng() % 20);
    for (int i = 0; i < parts; ++i) s += u" " + std::u16string(Pick(rng, kNotes)) + u";";
  }
  // Some entries are typed in upper or lower case.
  unsigned casing = rng() % 20;
  if (casing == 0) {
    for (char16_t& c : s) {
      if (c >= u'а' && c <= u'я') c = static_cast<char16_t>(c - 0x20);
      if (c == u'ё') c = u'Ё';
    }
  } else if (casing == 1) {
    for (char16_t& c : s) {
      if (c >= u'А' && c <= u'Я') c = static_cast<char16_t>(c + 0x20);
      if (c == u'Ё') c = u'ё';
    }
  }
  return s;
}

}  // namespace

std::vector<std::string> GenerateEntries(int count, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::string> entries;
  entries.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    // About one in two hundred entries repeats an earlier one exactly.
    if (!entries.empty() && rng() % 200 == 0) {
      entries.push_back(entries[rng() % entries.size()]);
    } else {
      entries.push_back(*EncodeCp1251(Entry(rng)));
    }
  }
  return entries;
}

std::string GenerateFile(int count, unsigned seed) {
  std::string file;
  for (const std::string& entry : GenerateEntries(count, seed)) {
    file += entry;
    file += "\r\n";
  }
  return file;
}

bool WriteGeneratedFile(const std::string& path, int count) {
  static std::map<int, std::string> generated;
  auto it = generated.find(count);
  if (it == generated.end()) it = generated.emplace(count, GenerateFile(count)).first;
  std::ofstream out(path, std::ios::binary);
  out.write(it->second.data(), static_cast<std::streamsize>(it->second.size()));
  return static_cast<bool>(out);
}

}  // namespace velunar::bench
