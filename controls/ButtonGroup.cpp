#include "controls/ButtonGroup.h"

namespace TervaneControl {

bool CButtonGroup::CreateFaces(const std::vector<ButtonData>& records, HWND parent)
{
    bool created = true;
    m_faces.clear();
    for (const ButtonData& record : records) {
        m_faces.push_back(std::unique_ptr<CButtonFace>(new CButtonFace));
        created = m_faces.back()->Create(record, parent) && created;
    }
    return created;
}

void CButtonGroup::OnSizeMode(WPARAM request)
{
    for (auto& face : m_faces)
        face->SetSizeMode(request);
}

void CButtonGroup::OnDraw(HDC dc)
{
    for (auto& face : m_faces)
        face->Draw(dc);
}

void CButtonGroup::OnDrawItem(HWND, WPARAM, const DRAWITEMSTRUCT* item)
{
    for (auto& face : m_faces)
        if (face->DrawItem(item))
            return;
}

void CButtonGroup::OnCommand(HWND, WPARAM wParam, LPARAM)
{
    for (size_t i = 0; i < m_faces.size(); ++i) {
        if (m_faces[i]->IsClick(wParam)) {
            OnClicked(i);
            return;
        }
    }
}

} // namespace TervaneControl
