#include "editor/win32/editor_window.h"

#include <algorithm>
#include <mutex>
#include <string>

#include "editor/win32/view_style.h"
#include "engine/engine.h"

namespace vemo {

namespace {

// The check buttons of the effects that say so in their tooltip add "有效" to the name.
std::string switch_tooltip(int type) {
    std::string text(effect_list_text(type));
    const bool plain = type == kGraphicEq || type == kCompressor || type == kEcho || type == kDrift;
    return plain ? text : text + "有效";
}

// Layered-window alpha; the function is looked up by name, as older systems lack it.
void set_window_alpha(HWND hwnd, int alpha) {
    using SetLayered = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    if (HMODULE user = GetModuleHandleW(L"USER32.DLL")) {
        if (FARPROC proc = GetProcAddress(user, "SetLayeredWindowAttributes"))
            reinterpret_cast<SetLayered>(reinterpret_cast<void (*)()>(proc))(hwnd, 0, static_cast<BYTE>(alpha),
                                                                             LWA_ALPHA);
    }
    RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_ALLCHILDREN | RDW_ERASE | RDW_INVALIDATE);
}

// Centres a top-level window on the host's window, or on the screen's work area when there is
// none, keeping it inside the work area.
void centre_on_host(HWND hwnd, int32_t host_window) {
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT outer = work;
    HWND host = reinterpret_cast<HWND>(static_cast<intptr_t>(host_window));
    if (host != nullptr && IsWindow(host)) GetWindowRect(host, &outer);
    RECT r{};
    GetWindowRect(hwnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int x = std::max<int>(work.left, std::min<int>(outer.left + (outer.right - outer.left - w) / 2, work.right - w));
    const int y = std::max<int>(work.top, std::min<int>(outer.top + (outer.bottom - outer.top - h) / 2, work.bottom - h));
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

// ----------------------------------------------------------------------------- chain page

void ChainPageWnd::DoDataExchange(CDataExchange& dx) {
    for (int t = 1; t <= kEffectCount; ++t) DDX_Control(dx, kSwitchIds[t], switches[t]);
    DDX_Control(dx, IDC_CHAIN_TITLE, title);
    DDX_Control(dx, kListId, list);
    DDX_Control(dx, kUpId, up);
    DDX_Control(dx, kDownId, down);
    for (size_t i = 0; i < bottom.size(); ++i) DDX_Control(dx, kBottomIds[i], bottom[i]);
    // The page's data is the model: showing the page loads it; the clicks wrote it already.
    if (!dx.m_bSaveAndValidate) Refresh();
}

BOOL ChainPageWnd::OnInitDialog() {
    CSkinDialog::OnInitDialog();
    SetClientDrag(false);
    SetBitmap(IDB_BACKGROUND);
    for (int t = 1; t <= kEffectCount; ++t) {
        style_check_button(switches[t]);
        switches[t].SetTooltipText(switch_tooltip(t));
    }
    up.SetTooltipText("音效向上移");
    down.SetTooltipText("音效向下移");
    bottom[0].SetTooltipText("载入新的Lorun效果器配置文件");
    bottom[1].SetTooltipText("保存Lorun效果器配置文件");
    bottom[2].SetTooltipText("播放选择音效的声音文件");
    bottom[3].SetTooltipText("停止播放");

    list.SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    list.SendMessage(LVM_SETBKCOLOR, 0, 0x008B3E94);
    list.SendMessage(LVM_SETTEXTBKCOLOR, 0, 0x008B3E30);
    list.SendMessage(LVM_SETTEXTCOLOR, 0, 0x0000FFFF);
    list.InsertColumn(0, "序号", 60);
    list.InsertColumn(1, "音效名称", 120);
    list.InsertColumn(2, "有效性", 60);
    // The list owns its image list and frees it with itself.
    HIMAGELIST images = ImageList_LoadImageW(resource_module(), MAKEINTRESOURCEW(IDB_LIST_IMAGES), 16, 1, RGB(0xFF, 0x00, 0xFF),
                                             IMAGE_BITMAP, LR_CREATEDIBSECTION);
    if (images != nullptr) list.SendMessage(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));

    Recolour();
    ready_ = true;
    Refresh();
    return TRUE;
}

void ChainPageWnd::Recolour() {
    const ColourScheme& s = scheme_;
    for (CIconButton* b : {&up, &down, &bottom[0], &bottom[1], &bottom[2], &bottom[3]}) style_push_button(*b, s.main_colour);
    title.SetFontName("楷体").SetFontSize(12).SetBkColor(s.main_colour).SetTextColor(RGB(0, 0, 0));
    list.SetHeaderColors(s.tab_header, RGB(0xFF, 0xFF, 0xFF));
    Invalidate();
}

void ChainPageWnd::Refresh() {
    if (!ready_ || m_hWnd == nullptr) return;
    for (int t = 1; t <= kEffectCount; ++t) {
        const Button& b = page_.switches[t];
        if (switches[t].GetCheck() != (b.checked ? 1 : 0)) switches[t].SetCheck(b.checked ? 1 : 0);
        EnableWindow(switches[t].m_hWnd, b.enabled ? TRUE : FALSE);
    }
    RefreshRows();
    RefreshBottomButtons();
}

void ChainPageWnd::RefreshRows() {
    const std::vector<ChainRow>& rows = page_.rows;
    const int n = static_cast<int>(rows.size());
    refreshing_ = true;
    list.SendMessage(WM_SETREDRAW, FALSE);
    int count = list.GetItemCount();
    while (count > n) list.DeleteItem(--count);
    while (count < n) list.InsertItem(count++, "");
    for (int r = 0; r < n; ++r) {
        const ChainRow& row = rows[static_cast<size_t>(r)];
        for (int c = 0; c < 3; ++c) {
            const ChainCell& cell = row.cells[c];
            list.SetItemText(r, c, cell.text);
            list.SetItemTextColor(r, c, cell.text_colour, false);
            list.SetItemBkColor(r, c, cell.back_colour, false);
        }
        LVITEMW item{};
        item.mask = LVIF_IMAGE | LVIF_STATE;
        item.iItem = r;
        item.iImage = row.image;
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = r == page_.selected_row ? LVIS_SELECTED | LVIS_FOCUSED : 0;
        list.SendMessage(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    list.SendMessage(WM_SETREDRAW, TRUE);
    list.Invalidate(false);
    refreshing_ = false;
}

void ChainPageWnd::RefreshBottomButtons() {
    const int mode = editor_.display_mode <= 0 ? 0 : (editor_.display_mode == 1 ? 1 : 2);
    if (mode != look_mode_) {
        look_mode_ = mode;
        // Give-up and close carry the cross, confirm the tick; load and save none.
        static constexpr UINT kIcons[3][2] = {{0, IDI_CLOSE}, {IDI_CLOSE, IDI_CONFIRM}, {0, 0}};
        bottom[0].SetIcon(kIcons[mode][0]);
        bottom[1].SetIcon(kIcons[mode][1]);
        bottom[1].SetTooltipText(mode == 0 ? "关闭Lorun效果器窗口" : "保存Lorun效果器配置文件");
    }
    for (size_t i = 0; i < bottom.size(); ++i) {
        const Button& b = editor_.button_set[i];
        if (bottom[i].GetWindowText() != b.caption) bottom[i].SetWindowText(b.caption);
        ShowWindow(bottom[i].m_hWnd, b.visible ? SW_SHOW : SW_HIDE);
        if (b.visible) bottom[i].Invalidate();
    }
}

void ChainPageWnd::TakeSelection() {
    page_.select_row(static_cast<int>(list.SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)));
}

BOOL ChainPageWnd::OnNotify(WPARAM, NMHDR* nm, LRESULT*) {
    if (nm->idFrom != static_cast<UINT_PTR>(kListId) || refreshing_) return FALSE;
    if (nm->code == static_cast<UINT>(NM_CLICK)) {
        TakeSelection();
    } else if (nm->code == static_cast<UINT>(LVN_ITEMCHANGED)) {
        // The keyboard moves the selection too; a click also arrives here first.
        const auto* lv = reinterpret_cast<const NMLISTVIEW*>(nm);
        if ((lv->uChanged & LVIF_STATE) && (lv->uNewState & LVIS_SELECTED) && !(lv->uOldState & LVIS_SELECTED))
            page_.select_row(lv->iItem);
    }
    return FALSE;
}

BOOL ChainPageWnd::OnCommand(WPARAM wp, LPARAM lp) {
    if (HIWORD(wp) != BN_CLICKED) return CSkinDialog::OnCommand(wp, lp);
    const int id = LOWORD(wp);
    for (int t = 1; t <= kEffectCount; ++t) {
        if (kSwitchIds[t] == id) {
            page_.on_switch_clicked(t, switches[t].GetCheck() == 1);
            return TRUE;
        }
    }
    if (id == kUpId || id == kDownId) {
        const int before = page_.selected_row;
        page_.move_selected(id == kUpId ? -1 : 1);
        if (page_.selected_row != before) ::SetFocus(list.m_hWnd);
        return TRUE;
    }
    for (size_t i = 0; i < bottom.size(); ++i) {
        if (kBottomIds[i] == id) {
            // May hide the editor and notify the host, which may do anything: nothing after it.
            editor_.on_bottom_button(static_cast<int>(i));
            return TRUE;
        }
    }
    return CSkinDialog::OnCommand(wp, lp);
}

// ----------------------------------------------------------------------------- caption strip

void StripLabel::ShowLevels(const StripRaster& raster) {
    width_ = raster.width();
    height_ = raster.height();
    const std::vector<uint32_t>& px = raster.pixels();
    dib_.resize(px.size());
    for (size_t i = 0; i < px.size(); ++i) {
        const uint32_t c = px[i];
        dib_[i] = ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
    }
    if (m_hWnd == nullptr) return;
    InvalidateRect(m_hWnd, nullptr, FALSE);
    UpdateWindow(m_hWnd);
}

void StripLabel::ClearLevels() {
    if (dib_.empty()) return;
    dib_.clear();
    Invalidate();
}

BOOL StripLabel::OnEraseBkgnd(HDC dc) { return dib_.empty() ? CLabel::OnEraseBkgnd(dc) : TRUE; }

void StripLabel::OnPaint() {
    if (dib_.empty() || width_ <= 0 || height_ <= 0) {
        CLabel::OnPaint();
        return;
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width_;
    bi.bmiHeader.biHeight = -height_;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(width_), static_cast<DWORD>(height_), 0, 0, 0,
                      static_cast<UINT>(height_), dib_.data(), &bi, DIB_RGB_COLORS);
    EndPaint(m_hWnd, &ps);
}

// ----------------------------------------------------------------------------- editor window

EditorWindow::EditorWindow(Editor& model)
    : CSkinDialog(IDD_EDITOR), eq(model.eq, model.colours.scheme), chain(model), params(model.param, model.colours.scheme), model_(model), columns_(std::make_unique<LevelColumns>()) {}

EditorWindow::~EditorWindow() {
    DestroyAll();
    if (tab_images != nullptr) ImageList_Destroy(tab_images);
}

bool EditorWindow::Make() {
    if (!Create(IDD_EDITOR, nullptr)) return false;
    SetForegroundWindow(m_hWnd);
    SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return true;
}

void EditorWindow::DestroyAll() {
    if (colour && colour->m_hWnd != nullptr) colour->DestroyWindow();
    colour.reset();
    if (m_hWnd != nullptr) {
        KillTimer(m_hWnd, kLevelTimer);
        DestroyWindow();
    }
}

void EditorWindow::DoDataExchange(CDataExchange& dx) {
    DDX_Control(dx, IDC_EDITOR_TABS, tab);
    DDX_Control(dx, IDC_EDITOR_STRIP, strip);
}

BOOL EditorWindow::OnInitDialog() {
    CSkinDialog::OnInitDialog();
    const ColourScheme& s = model_.colours.scheme;
    SetClientDrag(false);
    SetBitmap(IDB_BACKGROUND);
    strip.SetBkColor(s.caption).SetTextColor(0x00020202).SetFontName("宋体").SetFontSize(12).SetText(
        "广告音乐输出效果调整");

    tab_images = ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 6, 6);
    for (UINT id : {IDI_TAB_CHAIN, IDI_TAB_EQ, IDI_TAB_PARAMS, IDI_TAB_SPARE_1, IDI_TAB_SPARE_2, IDI_CAPTION}) {
        if (HICON icon = load_icon(id, 32)) {
            ImageList_AddIcon(tab_images, icon);
            DestroyIcon(icon);
        }
    }
    tab.SetImageList(tab_images);
    tab.SetBitmap(IDB_TAB_PLATE);
    tab.SetBitmap(IDB_BACKGROUND);
    tab.SetColors(s.tab_text, s.tab_header);
    tab.AddPage("音效控制", &chain, IDD_CHAIN_PAGE, 0);
    tab.AddPage("均衡器", &eq, IDD_EQ_PAGE, 1);
    tab.AddPage("效果参数", &params, IDD_PARAM_PAGE, 2);
    tab.SelectPage(0);

    colour = std::make_unique<ColourWindowView>(model_.colours);
    if (colour->Create(IDD_COLOUR_WINDOW, nullptr)) {
        SetForegroundWindow(colour->m_hWnd);
        ShowWindow(colour->m_hWnd, SW_HIDE);
    }
    model_.colours.window.shown = false;

    if (skin_pending) {
        skin.LoadSkin("aaa");
        skin.SetColours(skin_colours(model_.colours.scheme));
        skin.Attach(m_hWnd);
        skin.SetHostMode(true);
        skin_pending = false;
    }
    SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    return TRUE;
}

LRESULT EditorWindow::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kEditorCommand) {
        if (wp == kCmdResetBandRanges) eq.ResetBandRanges();
        model_.on_editor_command(static_cast<int64_t>(wp), static_cast<int64_t>(lp));
        return 0;
    }
    return CSkinDialog::WindowProc(msg, wp, lp);
}

BOOL EditorWindow::OnNotify(WPARAM, NMHDR* nm, LRESULT* result) {
    if (nm->hwndFrom != tab.m_hWnd || nm->code != static_cast<UINT>(TCN_SELCHANGE)) return FALSE;
    // The tab control swapped the pages already; the model follows and the page reloads.
    model_.select_tab(tab.GetCurPage());
    *result = 0;
    return TRUE;
}

void EditorWindow::ShowEditor(bool show) {
    if (m_hWnd == nullptr) return;
    ModelChanged(ModelPart::kMainWindow);
    if (show) {
        // A capture from before this showing is not drawn; the caption shows until audio comes.
        strip.ClearLevels();
        drawn_serial_ = model_.engine().levels_serial.load(std::memory_order_acquire);
        if (!editor_placed_) {
            centre_on_host(m_hWnd, model_.host_window);
            editor_placed_ = true;
        }
        // Shown in front of the host's windows every time, as it was made topmost.
        SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        SetTimer(m_hWnd, kLevelTimer, kLevelTimerMs, nullptr);
    } else {
        KillTimer(m_hWnd, kLevelTimer);
        ShowWindow(m_hWnd, SW_HIDE);
    }
}

void EditorWindow::ModelChanged(ModelPart part) {
    if (m_hWnd == nullptr) return;
    switch (part) {
    case ModelPart::kMainWindow:
        if (tab.GetCurPage() != model_.current_tab) tab.SelectPage(model_.current_tab);
        chain.Refresh();
        break;
    case ModelPart::kChainPage: chain.Refresh(); break;
    case ModelPart::kEqPage: eq.Refresh(); break;
    case ModelPart::kParamPage: params.Refresh(); break;
    case ModelPart::kColours:
        Recolour();
        ApplyAlpha();
        if (colour && colour->m_hWnd != nullptr &&
            (IsWindowVisible(colour->m_hWnd) != FALSE) != model_.colours.window.shown) {
            if (model_.colours.window.shown && !colour_placed_) {
                centre_on_host(colour->m_hWnd, model_.host_window);
                colour_placed_ = true;
            }
            ShowWindow(colour->m_hWnd, model_.colours.window.shown ? SW_SHOW : SW_HIDE);
        }
        break;
    default: break;
    }
}

void EditorWindow::Recolour() {
    const ColourScheme& s = model_.colours.scheme;
    strip.SetBkColor(s.caption);
    tab.SetColors(s.tab_text, s.tab_header);
    chain.Recolour();
    eq.Recolour();
    params.Recolour();
    skin.SetColours(skin_colours(model_.colours.scheme));
    if (colour) colour->Recolour();
    RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void EditorWindow::ApplyAlpha() {
    // Only while transparency is enabled; the values are kept by the model either way.
    if (model_.transparency != 1) return;
    if (editor_alpha_shown_ != model_.editor_alpha) {
        editor_alpha_shown_ = model_.editor_alpha;
        set_window_alpha(m_hWnd, editor_alpha_shown_);
    }
    if (colour && colour->m_hWnd != nullptr && colour_alpha_shown_ != model_.colour_window_alpha) {
        colour_alpha_shown_ = model_.colour_window_alpha;
        set_window_alpha(colour->m_hWnd, colour_alpha_shown_);
    }
}

void EditorWindow::StripClientSize(int& width, int& height) const {
    RECT rc{0, 0, 0, 0};
    if (strip.m_hWnd != nullptr) GetClientRect(strip.m_hWnd, &rc);
    width = rc.right - rc.left;
    height = rc.bottom - rc.top;
}

void EditorWindow::OnTimer(UINT_PTR id) {
    if (id == kLevelTimer)
        DrawLevels();
    else
        CSkinDialog::OnTimer(id);
}

void EditorWindow::DrawLevels() {
    // Runs on the window thread: the audio thread only captured and bumped the serial.
    EngineState& e = model_.engine();
    const uint32_t serial = e.levels_serial.load(std::memory_order_acquire);
    if (serial == drawn_serial_) return;
    drawn_serial_ = serial;
    bool got = false;
    {
        std::lock_guard lock(e.mutex);
        got = take_level_columns(e.levels, *columns_);
    }
    if (!got) return;
    draw_level_strip(*columns_, raster_);
    strip.ShowLevels(raster_);
}

}  // namespace vemo
