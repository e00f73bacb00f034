// The Structure tab's page: a tree view of the directories, the tag list of
// the selected one with its two buttons, and the problem list. Nothing of it
// exists until the tab is first selected; until then it only remembers the
// file the viewer shows.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/FOrvaneStructure.h"
#include <windows.h>
#include <commctrl.h>

#include "app/win32/KvByteMapWin.h"
#include "app/win32/WinWidgets.h"
#include "window/win32/KvWindow.h"

class TWinTree : public IKvTreeWidget {
public:
    HWND FWnd = nullptr;
    void Clear() override;
    void Add(TKvNodeId parent, const std::vector<TKvNodeId>& ids) override;
    void SelectPath(const std::vector<TKvNodeId>& path) override;
    void Redraw() override;
    HTREEITEM ItemOf(TKvNodeId id) const;

private:
    std::vector<HTREEITEM> FItems;  // by node id
};

class TWinRowList : public IKvRowListWidget {
public:
    TWinList FList;
    void Clear() override { FList.Clear(); }
    void AddRow(const TKvTagRow& row) override { FList.AddRow(row); }
    std::int32_t SelectedIndex() override { return FList.SelectedIndex(); }
    void SelectNone() override { FList.SelectNone(); }
    void SelectRow(std::int32_t row) override;
};

class TWinByteMap : public IKvByteMapWidget {
public:
    TKvByteMapWin FWin;
    void SetMap(std::shared_ptr<const TKvStructureAnalysisResult> result) override
    {
        FWin.SetMap(std::move(result));
    }
    std::uint32_t PicturePixels() override { return FWin.PicturePixels(); }
};

enum TStructureControlId : UINT_PTR {
    idTreDirectories = 201,
    idLivStructureTags,
    idButStructureView,
    idButStructureCopy,
    idButShowProblems,
    idButShowByteMap,
    idLivProblems,
    idByteMap,
};

class TOrvaneStructureWin : public TKvWindow {
public:
    TOrvaneStructureWin(IKvOrvaneHost& host, std::shared_ptr<TTrnTiffShared> shared, HWND parent,
                        const RECT& place);

    // The tab is selected (made on the first call) or left.
    void Show(bool shown);
    void FileShown(const std::string& path, const std::string& display);
    void PageCountProgress();

    // For tests; nullptr before the first selection.
    TFrmOrvaneStructure* Logic() { return FLogic.get(); }
    HWND Control(UINT_PTR id) const;
    TWinTree& Tree() { return FTree; }
    TKvByteMapWin& ByteMap() { return FByteMap.FWin; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateControls();
    HWND AddControl(const char* cls, const char* text, DWORD style, int x, int y, int w, int h,
                    UINT_PTR id, DWORD exStyle = 0);
    void CreateProblemPanel();
    LRESULT OnNotify(const NMHDR& hdr);
    void OnCommand(UINT_PTR id);
    // Problems or the byte map below the tags.
    void ShowPanel(bool problems);
    void WatchAnalysis();

    IKvOrvaneHost& FHost;
    std::shared_ptr<TTrnTiffShared> FShared;
    HWND FParent;
    RECT FPlace;
    std::string FPath, FDisplay;
    TWinTree FTree;
    TWinRowList FLivTags;
    TWinButton FButView, FButCopy;
    TWinRowList FLivProblems;
    TWinText FLabProgress;
    TWinByteMap FByteMap;
    std::unique_ptr<TFrmOrvaneStructure> FLogic;
};
