// The file name pattern of auto-saved printed documents: its fields, the refusal of a pattern that
// cannot make a usable name, and the path a job is saved to. Pure: strings in, strings out.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace folimar {

inline constexpr char kDefaultNamePattern[] = "<Title>";
// The name part a title that cleans to nothing stands as.
inline constexpr char kUntitledName[] = "Document";
// The longest full path the file functions take, without its terminating zero.
inline constexpr size_t kMaxPathUnits = 259;
// The fields, as the dialog names them.
inline constexpr char kNamePatternFields[] = "<Title> <Date> <Time> <User> <Counter>";

// What the fields stand for in one job, in UTF-8.
struct TNameFields {
    std::string title; // the job's title, as the port hands it over
    std::string date;  // yyyy-mm-dd
    std::string time;  // hh-mm-ss
    std::string user;  // the user's name
};

// "yyyy-mm-dd" and "hh-mm-ss".
std::string DateField(int year, int month, int day);
std::string TimeField(int hour, int minute, int second);

// Why the pattern cannot make names in folder (a folder path ending in a backslash): an unknown
// field, a character no file name may hold, no name at all, a Windows device name, or names longer
// than a path may be. Empty when it can. user is the name <User> will stand for.
std::string NamePatternProblem(std::string_view pattern, std::string_view folder, std::string_view user);

// The file name (without ".pdf") the pattern makes for these fields and counter: the title is
// cleaned as the proposed output name is (kUntitledName when nothing is left), the user's name
// likewise; a name that is still a device name gets "_".
std::string ExpandNamePattern(std::string_view pattern, const TNameFields& fields, int counter);

// Whether the pattern holds <Counter>.
bool HasCounterField(std::string_view pattern);

// The path a job is saved to: folder + name + ".pdf". <Counter> counts from 1 to the first free
// name; without it a taken name is replaced (overwrite) or numbered "name (2)", "name (3)" ....
// Empty when no free name is found. taken tells whether a path names an existing file.
std::string AutoSavePath(const std::string& folder, std::string_view pattern, const TNameFields& fields, bool overwrite,
                         const std::function<bool(const std::string&)>& taken);

} // namespace folimar
