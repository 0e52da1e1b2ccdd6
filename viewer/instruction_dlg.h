// The instruction viewer dialog: its page list with one page of look-ahead,
// navigation, buttons and painting. It runs on any dialog host, so all of it
// can be driven without a window.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "picture/page_picture.h"
#include "platform/dialog_host.h"
#include "platform/directory.h"

namespace halvora::viewer {

class CInstructionDlg final : public platform::DialogHandler {
 public:
  // Gives the page folder path, normally the application's GetPageDirString().
  using PageDirSource = std::function<std::u16string()>;
  // Opens the enumeration of a pattern, as platform::EnumerateFirst does.
  using FolderEnumerator = std::function<std::unique_ptr<platform::DirectoryEnumeration>(
      std::u16string_view pattern, std::u16string& firstName)>;

  CInstructionDlg(platform::DialogHost& host, PageDirSource pageDir,
                  FolderEnumerator enumerate = platform::EnumerateFirst);

  // Handlers.
  bool OnInitDialog() override;
  void OnCommand(int id) override;
  void OnPaint() override;
  platform::IconHandle OnQueryDragIcon() override { return m_hIcon; }
  void OnDestroy() override;

  bool InitPages();
  bool FindFirstPage(std::u16string& path);
  bool FindNextPage();
  bool GetNextPage(std::u16string& path);
  bool GetPrevPage(std::u16string& path);
  bool IsLastPage() const;
  void ShowPage(const std::u16string& path);
  void InvalidatePicture();
  void UpdatePrevButton(bool show);
  void OnNext();
  void OnPrevious();
  void OnCancel();
  void GetBaseUnits(int& x, int& y);

  // Entries of the page list: page paths and end markers, in order.
  const std::vector<std::u16string>& PageList() const { return m_pageList; }
  // The current page's path; empty when there are no pages.
  std::u16string CurrentPage() const;

 private:
  static constexpr size_t kNoPosition = static_cast<size_t>(-1);

  void SetIcons();
  void PaintIcon();
  void InvalidatePictureArea(bool erase);
  bool IsFinishShown();
  void SetNextButtonText(int stringId);
  void AppendPage(const std::u16string& name);

  platform::DialogHost& m_host;
  PageDirSource m_pageDirSource;
  FolderEnumerator m_enumerate;
  platform::IconHandle m_hIcon;
  std::u16string m_strPageDir;
  picture::PagePicture m_picture;
  // Positions are indexes, so they stay valid while the list grows.
  std::vector<std::u16string> m_pageList;
  size_t m_posCurrent = kNoPosition;
  size_t m_posFirst = kNoPosition;
  std::unique_ptr<platform::DirectoryEnumeration> m_hFind;
};

}  // namespace halvora::viewer
