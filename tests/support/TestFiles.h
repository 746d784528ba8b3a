#pragma once
// Real files for the tests, in temporary folders that the tests make and remove.
#include <map>
#include <string>

// A fresh folder under the temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }
private:
    std::string path_;
};

void RemoveTree(const std::string& folder);
void MakeFolder(const std::string& path);
// Creates or replaces a file with that content; attributes as SetFileAttributesA takes them.
void WriteTextFile(const std::string& path, const std::string& content, unsigned long attributes = 0);
void WriteTextFileW(const std::wstring& path, const std::string& content);
bool Exists(const std::string& path);
// A file's bytes ("<unreadable>" when it cannot be opened), by its wide name.
std::string ReadWholeFile(const std::wstring& path);

// Every file under folder (relative path -> content), for a before-and-after comparison.
std::map<std::string, std::string> Snapshot(const std::string& folder);

// The Unix path of a Windows path under Wine; empty elsewhere.
std::string UnixPath(const std::string& path);
// Starts a program of the Unix side (Wine starts those too). Wine does not wait for it to
// end: callers that need its result watch for it.
bool RunUnixProgram(const std::string& program, const std::string& arguments);

// Runs a shell command line on the Unix side and waits until it has finished (it touches
// a marker last); false when it could not be run or did not succeed in time.
bool RunUnixShell(const std::string& commandLine, unsigned long timeoutMs = 20000);

// Makes a Unix symbolic link (as a user outside Wine would) and waits until it is there;
// false where that cannot be done (outside Wine) or did not happen in time.
bool MakeUnixSymlink(const std::string& target, const std::string& link);
// Removes such a link itself (Wine's own delete would reach its target).
void RemoveUnixLink(const std::string& link);
