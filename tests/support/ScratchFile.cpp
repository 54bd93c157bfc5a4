#include "support/ScratchFile.h"

#include "support/FileFixtures.h"

namespace {
const char kName[] = "\\sheet.tms";
}

CScratchFile::CScratchFile(const std::string& bytes) : m_path(m_dir / kName)
{
    TestSupport::WriteAt(m_dir, kName, bytes);
}
