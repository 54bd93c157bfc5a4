#pragma once
#include <string>

#include "base/Win32.h"

namespace TestSupport {

// A fresh folder under the temporary folder, removed with everything in it at the end.
// The name may carry a Shift-JIS part to exercise paths beyond ASCII.
class CTempDir {
public:
    explicit CTempDir(const std::string& nameSuffix = "");
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;
    ~CTempDir();

    const std::string& Path() const { return m_path; }
    // Path joined with name; name begins with a backslash.
    std::string operator/(const std::string& name) const { return m_path + name; }
    bool MakeSubdir(const std::string& name) const;

private:
    std::string m_path;
};

} // namespace TestSupport
