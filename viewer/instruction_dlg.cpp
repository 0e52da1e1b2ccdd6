#include "viewer/instruction_dlg.h"

#include <utility>

#include "picture/picture_type.h"
#include "platform/text.h"
#include "platform/trace.h"
#include "viewer/dialog_ids.h"

namespace halvora::viewer {

namespace {

constexpr std::u16string_view kEndOfList = u"EOL";

}  // namespace

CInstructionDlg::CInstructionDlg(platform::DialogHost& host, PageDirSource pageDir,
                                 FolderEnumerator enumerate)
    : m_host(host),
      m_pageDirSource(std::move(pageDir)),
      m_enumerate(std::move(enumerate)),
      m_hIcon(host.LoadIconResource(kDialogIconId)),
      m_picture(host.OpenStretchDrawer()) {}

bool CInstructionDlg::OnInitDialog() {
  SetIcons();
  InitPages();
  return true;
}

void CInstructionDlg::OnCommand(int id) {
  switch (id) {
    case kNextButtonId:
      OnNext();
      break;
    case kPreviousButtonId:
      OnPrevious();
      break;
    case kExitButtonId:
      OnCancel();
      break;
    default:
      break;
  }
}

void CInstructionDlg::OnCancel() { m_host.EndDialog(kResultCancel); }

void CInstructionDlg::OnDestroy() { m_hFind.reset(); }

bool CInstructionDlg::InitPages() {
  m_strPageDir = m_pageDirSource();
  std::u16string path;
  if (FindFirstPage(path)) ShowPage(path);
  if (IsLastPage()) SetNextButtonText(kFinishTextId);
  UpdatePrevButton(false);
  return true;
}

void CInstructionDlg::AppendPage(const std::u16string& name) {
  m_pageList.push_back(m_strPageDir + name);
}

bool CInstructionDlg::FindFirstPage(std::u16string& path) {
  std::u16string name;
  m_hFind = m_enumerate(m_strPageDir + u"*.*", name);
  bool found = m_hFind != nullptr;
  while (found) {
    platform::Trace("Find file = %s.\n", platform::Utf8(name).c_str());
    if (picture::IsPictureFile(name)) {
      AppendPage(name);
      path = m_pageList.front();
      m_posCurrent = m_posFirst = 0;
      FindNextPage();
      break;
    }
    found = m_hFind->Next(name);
  }
  if (!found) {
    m_pageList.emplace_back(kEndOfList);
    m_posCurrent = m_posFirst = kNoPosition;
  }
  return found;
}

bool CInstructionDlg::FindNextPage() {
  std::u16string name;
  while (m_hFind && m_hFind->Next(name)) {
    platform::Trace("Find file = %s.\n", platform::Utf8(name).c_str());
    if (picture::IsPictureFile(name)) {
      AppendPage(name);
      return true;
    }
  }
  m_pageList.emplace_back(kEndOfList);
  return false;
}

bool CInstructionDlg::GetNextPage(std::u16string& path) {
  if (m_posCurrent == kNoPosition) return false;
  // The invariant keeps an entry after the current one.
  const std::u16string& candidate = m_pageList[m_posCurrent + 1];
  path = candidate;
  if (candidate == kEndOfList) return false;
  ++m_posCurrent;
  FindNextPage();
  return true;
}

bool CInstructionDlg::GetPrevPage(std::u16string& path) {
  if (m_posCurrent == m_posFirst) return false;
  --m_posCurrent;
  path = m_pageList[m_posCurrent];
  return true;
}

bool CInstructionDlg::IsLastPage() const {
  if (m_posCurrent == kNoPosition && m_posFirst == kNoPosition) return true;
  const size_t next = m_posCurrent + 1;
  return next < m_pageList.size() && m_pageList[next] == kEndOfList;
}

std::u16string CInstructionDlg::CurrentPage() const {
  return m_posCurrent == kNoPosition ? std::u16string() : m_pageList[m_posCurrent];
}

void CInstructionDlg::ShowPage(const std::u16string& path) {
  picture::BitmapInfoHeader header{};
  if (m_picture.Load(path, header, u"", u"")) {
    platform::Trace("File %s: width = %d, height = %d, Xppm = %d, Yppm = %d.\n",
                    platform::Utf8(path).c_str(), header.biWidth, header.biHeight,
                    header.biXPelsPerMeter, header.biYPelsPerMeter);
  }
  // A page that leaves no picture is repainted blank: without the erase the
  // previous page's picture would stay in the frame, showing the wrong
  // instructions for this page.
  InvalidatePictureArea(!m_picture.HasPicture());
}

void CInstructionDlg::UpdatePrevButton(bool show) {
  platform::DialogItem* previous = m_host.GetItem(kPreviousButtonId);
  if (previous == nullptr) return;
  if (show) {
    if (m_posCurrent != m_posFirst) {
      previous->Enable(true);
      previous->Show(true);
    }
  } else if (m_posCurrent == m_posFirst) {
    previous->Enable(false);
    previous->Show(false);
    if (platform::DialogItem* next = m_host.GetItem(kNextButtonId)) next->Focus();
  }
}

bool CInstructionDlg::IsFinishShown() {
  platform::DialogItem* next = m_host.GetItem(kNextButtonId);
  return next != nullptr && next->GetText() == m_host.LoadStringEntry(kFinishTextId);
}

void CInstructionDlg::SetNextButtonText(int stringId) {
  if (platform::DialogItem* next = m_host.GetItem(kNextButtonId)) {
    next->SetText(m_host.LoadStringEntry(stringId));
  }
}

void CInstructionDlg::OnNext() {
  if (IsFinishShown()) {
    m_host.EndDialog(kResultFinish);
    return;
  }
  std::u16string path;
  if (GetNextPage(path)) ShowPage(path);
  UpdatePrevButton(true);
  if (IsLastPage()) {
    platform::Trace("Reach last file!\n");
    SetNextButtonText(kFinishTextId);
  }
}

void CInstructionDlg::OnPrevious() {
  if (IsFinishShown()) SetNextButtonText(kNextTextId);
  std::u16string path;
  if (GetPrevPage(path)) ShowPage(path);
  UpdatePrevButton(false);
}

}  // namespace halvora::viewer
