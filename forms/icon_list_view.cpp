#include "forms/icon_list_view.h"

#include <algorithm>

#include "forms/raise.h"
#include "forms/skip.h"

namespace forms {

namespace {

// An image list with one empty icon of that size: it sets the items' layout; the owner draws the icons.
HIMAGELIST MakeImages(int side)
{
    const HIMAGELIST images = ImageList_Create(side, side, ILC_COLOR32, 1, 0);
    if (!images)
        return nullptr;
    SkipIfFalse(ImageList_SetImageCount(images, 1), L"make the list view's icon");
    return images;
}

}  // namespace

IconListView::~IconListView()
{
    Destroy();
    if (images_)
        ImageList_Destroy(images_);
}

bool IconListView::Create(HWND parent, const forms::Bounds& bounds, int iconSide)
{
    // LVS_SHAREIMAGELISTS: the image list is this wrapper's to destroy.
    if (!CreateControl(WC_LISTVIEWW, L"",
                       WS_VISIBLE | WS_TABSTOP | LVS_ICON | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                           LVS_AUTOARRANGE | LVS_SHAREIMAGELISTS,
                       WS_EX_CLIENTEDGE, parent, bounds))
        return false;
    SendMessageW(Hwnd(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_DOUBLEBUFFER, LVS_EX_DOUBLEBUFFER);
    SetIconSide(iconSide);
    return true;
}

void IconListView::SetIconSide(int iconSide)
{
    const HIMAGELIST images = MakeImages(iconSide);
    if (!SkipIfFalse(images != nullptr, L"make the list view's images"))
        return;
    SendMessageW(Hwnd(), LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
    if (images_)
        ImageList_Destroy(images_);
    images_ = images;
}

void IconListView::SetCount(int count)
{
    SendMessageW(Hwnd(), LVM_SETITEMCOUNT, static_cast<WPARAM>(std::max(count, 0)), 0);
}

int IconListView::Selected() const
{
    return static_cast<int>(SendMessageW(Hwnd(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void IconListView::SetSelected(int index)
{
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    SendMessageW(Hwnd(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    if (index < 0 || index >= Count())
        return;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(Hwnd(), LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    SendMessageW(Hwnd(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
}

std::pair<int, int> IconListView::VisibleRange() const
{
    const HWND hwnd = Hwnd();
    const int count = Count();
    RECT client{};
    if (count == 0 || !GetClientRect(hwnd, &client))
        return {0, -1};
    const auto spacing = static_cast<DWORD>(SendMessageW(hwnd, LVM_GETITEMSPACING, FALSE, 0));
    const int rowHeight = std::max(1, static_cast<int>(HIWORD(spacing)));
    // Items are laid out in rows: the row length is where the second row starts.
    POINT first{};
    SendMessageW(hwnd, LVM_GETITEMPOSITION, 0, reinterpret_cast<LPARAM>(&first));
    int columns = 1;
    while (columns < count) {
        POINT next{};
        SendMessageW(hwnd, LVM_GETITEMPOSITION, static_cast<WPARAM>(columns), reinterpret_cast<LPARAM>(&next));
        if (next.y != first.y)
            break;
        ++columns;
    }
    const int firstRow = std::max(0, static_cast<int>(-first.y) / rowHeight);
    const int lastRow = std::max(firstRow, static_cast<int>(client.bottom - first.y) / rowHeight);
    return {std::min(count - 1, firstRow * columns), std::min(count - 1, (lastRow + 1) * columns - 1)};
}

void IconListView::RedrawItems(int first, int last)
{
    if (last < first)
        return;
    SendMessageW(Hwnd(), LVM_REDRAWITEMS, static_cast<WPARAM>(first), static_cast<LPARAM>(last));
}

bool IconListView::OnNotify(NMHDR* header, LRESULT& result)
{
    switch (header->code) {
    case LVN_GETDISPINFOW: {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
        if (info->item.mask & LVIF_TEXT) {
            text_ = Raise(onText, info->item.iItem);
            info->item.pszText = text_.data();
        }
        if (info->item.mask & LVIF_IMAGE)
            info->item.iImage = 0;
        result = 0;
        return true;
    }
    case NM_CUSTOMDRAW: {
        auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
        if (draw->nmcd.dwDrawStage == CDDS_PREPAINT)
            result = CDRF_NOTIFYITEMDRAW;
        else if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT)
            result = CDRF_NOTIFYPOSTPAINT;
        else if (draw->nmcd.dwDrawStage == CDDS_ITEMPOSTPAINT) {
            const int index = static_cast<int>(draw->nmcd.dwItemSpec);
            RECT icon{};
            icon.left = LVIR_ICON;
            if (SendMessageW(Hwnd(), LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&icon)))
                Raise(onDrawIcon, index, draw->nmcd.hdc, icon);
            result = CDRF_DODEFAULT;
        } else
            result = CDRF_DODEFAULT;
        return true;
    }
    case NM_DBLCLK: {
        const auto* activate = reinterpret_cast<NMITEMACTIVATE*>(header);
        if (activate->iItem >= 0)
            Raise(onChoose, activate->iItem);
        return false;
    }
    default: return false;
    }
}

bool IconListView::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (msg) {
    case WM_GETDLGCODE:
        // Enter is the list's own: it chooses the item instead of pressing a dialog button.
        result = CallDefault(msg, wParam, lParam);
        if (AsksForEnter(lParam))
            result |= DLGC_WANTMESSAGE;
        return true;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            if (const int selected = Selected(); selected >= 0)
                Raise(onChoose, selected);
            result = 0;
            return true;
        }
        result = CallDefault(msg, wParam, lParam);
        Raise(onViewMoved);
        return true;
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
    case WM_SIZE:
        result = CallDefault(msg, wParam, lParam);
        Raise(onViewMoved);
        return true;
    default: return false;
    }
}

}  // namespace forms
