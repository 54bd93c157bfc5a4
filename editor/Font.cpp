#include "editor/Font.h"

#include <memory>

#include "base/thread/CriticalSection.h"

using Quorvel::Base::Thread::CCriticalLock;
using Quorvel::Base::Thread::CCriticalSection;

HFONT CreateEditorFont(int height, const wchar_t* face, int weight, bool underline)
{
    return CreateFontW(height, 0, 0, 0, weight, FALSE, underline ? TRUE : FALSE, FALSE, SHIFTJIS_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FIXED_PITCH | FF_MODERN, face);
}

namespace {

// The fonts alive in the process and the initializer they share.
struct FontRegistry {
    CCriticalSection lock;
    int fonts = 0;
    std::unique_ptr<CFontInitializer> initializer;
};

FontRegistry& Registry()
{
    static FontRegistry registry;
    return registry;
}

} // namespace

CFontInitializer::CFontInitializer()
{
    // A setting that can't be read is left alone: it could not be put back.
    m_known = SystemParametersInfoA(SPI_GETFONTSMOOTHING, 0, &m_smoothing, 0) != FALSE;
    if (m_known)
        SystemParametersInfoA(SPI_SETFONTSMOOTHING, TRUE, nullptr, 0);
}

CFontInitializer::~CFontInitializer()
{
    if (m_known)
        SystemParametersInfoA(SPI_SETFONTSMOOTHING, m_smoothing, nullptr, 0);
}

CFont::CFont() : m_faceName("ＭＳ ゴシック"), m_textColour(0xFF000000u)
{
    FontRegistry& registry = Registry();
    CCriticalLock lock(&registry.lock);
    if (registry.fonts++ == 0)
        registry.initializer.reset(new CFontInitializer());
}

CFont::~CFont()
{
    FontRegistry& registry = Registry();
    CCriticalLock lock(&registry.lock);
    if (--registry.fonts == 0)
        registry.initializer.reset();
}
