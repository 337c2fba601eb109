#include "plugin/orders/window/StairWatchDlg.h"

#include <wx/button.h>
#include <wx/dcbuffer.h>
#include <wx/dialog.h>
#include <wx/propgrid/advprops.h>
#include <wx/propgrid/propgrid.h>
#include <wx/settings.h>
#include <wx/stattext.h>

#include <algorithm>
#include <cmath>

#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"
#include "plugin/view/PelomarView.h"

namespace {

// Template 3178 is 382 x 275 dialog units.
constexpr int kTemplateWidth = 764;
constexpr int kTemplateHeight = 550;
constexpr COLORREF kDarkBrush = RGB(18, 22, 32);
constexpr COLORREF kCountText = RGB(230, 235, 245);
constexpr COLORREF kStaticText = RGB(220, 220, 230);
constexpr COLORREF kLabelBack = 0xE5FAD0;
constexpr COLORREF kLabelText = 0xFB2AE1;

const wchar_t kInstruction[] =
    L"1. 좌측 수익률 설정 수정(기본값 권장)\n2. [수익률 설정 적용] 버튼 클릭(안전)\n3. [전종목 "
    L"감시/매도 시작] 버튼\n※ 장기 보유할 종목은 아래처럼 설정\n  - [자동체크]를 해제\n  - 혹은 "
    L"최저이익을 500%처럼 높임";

wxColour Colour(COLORREF c) { return wxColour(GetRValue(c), GetGValue(c), GetBValue(c)); }

wxRect ToWx(const RECT& r) { return wxRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

int Px(double value) { return static_cast<int>(std::lround(value)); }

std::wstring CountText(int count) { return L"현재 종목 수: " + std::to_wstring(count); }

}  // namespace

// ---------------------------------------------------------------------------------------
// Arithmetic of the layout and the light

StairLayout_s ComputeStairLayout(const RECT& client, double s) {
  if (!(s > 0)) s = 1.0;
  const int h = Px(36 * s), m = Px(16 * s), w = Px(210 * s), g = Px(10 * s);
  const int labelHeight = Px(2.5 * 36 * s);
  StairLayout_s out{};
  out.count = RECT{client.left + m, client.top + m, client.right - m, client.top + m + h};
  out.grid = RECT{client.left + m, client.top + m + h + 4, client.right - w - m, client.bottom - m};
  const int closeSide = Px(24 * s);
  const int closeLeft = client.right - Px(s) - closeSide;
  out.close = RECT{closeLeft, Px(s), closeLeft + closeSide, Px(s) + closeSide};
  const int x = client.right - w - m;
  int y = client.top + h + m + 4;
  auto next = [&](int height) {
    RECT r{x, y, x + w, y + height};
    y += height + g;
    return r;
  };
  // The instruction's six lines wrap in the narrow column: its label takes two label heights so
  // that they show whole.
  out.label = next(2 * labelHeight);
  out.label2 = next(labelHeight);
  out.apply = next(h);
  out.start = next(h);
  out.light = RECT{x, y, x + w, std::max<int>(y, client.bottom - m)};
  return out;
}

COLORREF StatusLightColour(int state) {
  switch (state) {
    case 0:
      return RGB(220, 32, 32);
    case 1:
      return RGB(240, 180, 0);
    case 2:
      return RGB(40, 180, 60);
    case 3:
      return RGB(160, 160, 160);
    default:
      return RGB(200, 200, 200);
  }
}

RECT StatusLightEllipse(const RECT& client) {
  const int width = client.right - client.left, height = client.bottom - client.top;
  const int inset = std::min(width, height) / 6;
  return RECT{client.left + inset, client.top + inset, client.right - inset,
              client.bottom - inset};
}

// ---------------------------------------------------------------------------------------
// The status light

class CStatusLightCtrl : public wxWindow {
 public:
  CStatusLightCtrl(wxWindow* parent, int id) : wxWindow(parent, id) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, [this](wxPaintEvent&) { OnPaint(); });
  }
  int state = 0;

 private:
  void OnPaint() {
    wxAutoBufferedPaintDC dc(this);
    const wxSize size = GetClientSize();
    dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.DrawRectangle(0, 0, size.x, size.y);
    const RECT ellipse = StatusLightEllipse(RECT{0, 0, size.x, size.y});
    dc.SetBrush(wxBrush(Colour(StatusLightColour(state))));
    dc.SetPen(wxPen(Colour(RGB(40, 40, 40)), 2));
    dc.DrawEllipse(ToWx(ellipse));
  }
};

// ---------------------------------------------------------------------------------------
// The dialog

CStairWatchDlg::CStairWatchDlg(int stockCount, wxWindow*, CPelomarView& view)
    : m_view(view), m_stockCount(stockCount) {}

CStairWatchDlg::~CStairWatchDlg() {
  *m_alive = false;
  if (wxDialog* dialog = m_form.GetWindow()) dialog->Destroy();
}

wxWindow* CStairWatchDlg::GetWindow() const { return m_form.GetWindow(); }

bool CStairWatchDlg::CreateFromTemplate(int, wxWindow* parent) {
  const double s = m_view.Scale();
  if (!m_form.Create(parent, L"계단 손절/익절 설정", Px(kTemplateWidth * s),
                     Px(kTemplateHeight * s)))
    return false;
  wxDialog* dialog = m_form.GetWindow();
  dialog->SetBackgroundColour(Colour(kDarkBrush));
  // The template's two labels.
  m_form.AddControl(IDC_SW_LABEL, orv::ui::CtrlKind::Static, L"", RECT{0, 0, 10, 10});
  m_form.AddControl(IDC_SW_LABEL2, orv::ui::CtrlKind::Static, L"", RECT{0, 0, 10, 10});
  OnInitDialog();
  return true;
}

void CStairWatchDlg::OnInitDialog() {
  wxDialog* dialog = m_form.GetWindow();
  const wxFont base = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
  wxFont fontA = base;
  fontA.SetFractionalPointSize(base.GetFractionalPointSize() * 1.2);
  wxFont fontB = base;
  fontB.SetFractionalPointSize(base.GetFractionalPointSize() * 1.05);

  m_form.AddControl(IDC_SW_COUNT, orv::ui::CtrlKind::Static, CountText(0), RECT{0, 0, 10, 10});
  if (wxWindow* count = m_form.GetDlgItem(IDC_SW_COUNT)) {
    count->SetFont(fontA);
    count->SetForegroundColour(Colour(kCountText));
    count->SetBackgroundColour(Colour(kDarkBrush));
  }
  SetStockCount(m_stockCount);

  wxPropertyGrid::RegisterAdditionalEditors();
  m_grid = new wxPropertyGrid(dialog, IDC_SW_GRID, wxDefaultPosition, wxSize(10, 10),
                              wxTAB_TRAVERSAL);
  // The dark theme of the grid.
  m_grid->SetMarginColour(Colour(RGB(28, 33, 46)));
  m_grid->SetCaptionBackgroundColour(Colour(RGB(40, 48, 66)));
  m_grid->SetCaptionTextColour(Colour(kCountText));
  m_grid->SetCellBackgroundColour(Colour(RGB(24, 29, 42)));
  m_grid->SetCellTextColour(Colour(kStaticText));
  m_grid->SetEmptySpaceColour(Colour(kDarkBrush));
  m_grid->SetLineColour(Colour(RGB(52, 60, 80)));
  m_grid->Bind(wxEVT_PG_CHANGED, &CStairWatchDlg::OnGridChanged, this);

  m_form.AddControl(IDC_SW_APPLY, orv::ui::CtrlKind::Button, L"수익률 설정 적용",
                    RECT{0, 0, 10, 10});
  // The close button carries a mark instead of its icon, without the padding a plain button's
  // theme would take from its 24 pixels.
  m_close = new wxButton(dialog, IDC_SW_CLOSE, L"✕", wxDefaultPosition, wxSize(10, 10),
                         wxBU_EXACTFIT | wxBORDER_NONE);
  m_close->SetBackgroundColour(Colour(kDarkBrush));
  m_close->SetForegroundColour(Colour(kCountText));
  m_close->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnBnClickedClose(); });
  m_form.AddControl(IDC_SW_START, orv::ui::CtrlKind::Button, L"전종목 감시/매도 시작",
                    RECT{0, 0, 10, 10});
  if (auto* start = dynamic_cast<wxButton*>(m_form.GetDlgItem(IDC_SW_START))) start->SetDefault();
  m_light = new CStatusLightCtrl(dialog, IDC_SW_LIGHT);
  m_light->state = m_lightState;

  BuildPropertyGrid();

  for (int id : {IDC_SW_LABEL, IDC_SW_LABEL2}) {
    wxWindow* label = m_form.GetDlgItem(id);
    if (!label) continue;
    label->SetBackgroundColour(Colour(kLabelBack));
    label->SetForegroundColour(Colour(kLabelText));
  }
  m_form.SetDlgItemText(IDC_SW_LABEL, kInstruction);
  if (wxWindow* label = m_form.GetDlgItem(IDC_SW_LABEL)) label->SetFont(fontB);

  m_form.OnCommand(IDC_SW_APPLY, [this] { OnBnClickedApply(); });
  m_form.OnCommand(IDC_SW_START, [this] { OnBnClickedStart(); });

  dialog->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    event.Skip();
    if (m_grid) RecalcLayout();
  });
  // Escape does not close the dialog: only the close button does.
  dialog->Bind(wxEVT_CHAR_HOOK, [](wxKeyEvent& event) {
    if (event.GetKeyCode() != WXK_ESCAPE) event.Skip();
  });
  // The dialog is dragged by its background (a press on a control stays the control's).
  dialog->Bind(wxEVT_LEFT_DOWN, [this, dialog](wxMouseEvent& event) {
    m_dragging = true;
    const wxPoint offset = dialog->ClientToScreen(event.GetPosition()) - dialog->GetPosition();
    m_dragOffsetX = offset.x;
    m_dragOffsetY = offset.y;
    if (!dialog->HasCapture()) dialog->CaptureMouse();
  });
  dialog->Bind(wxEVT_MOTION, [this, dialog](wxMouseEvent& event) {
    if (!m_dragging) return;
    dialog->Move(dialog->ClientToScreen(event.GetPosition()) -
                 wxPoint(m_dragOffsetX, m_dragOffsetY));
  });
  dialog->Bind(wxEVT_LEFT_UP, [this, dialog](wxMouseEvent&) {
    m_dragging = false;
    if (dialog->HasCapture()) dialog->ReleaseMouse();
  });
  dialog->Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { m_dragging = false; });
  RecalcLayout();
}

wxPGProperty* CStairWatchDlg::AddRuleRow(wxPGProperty* parent, const std::wstring& caption,
                                         double value, double* field, const StairRange_s& range) {
  value = range.Clamp(value);
  *field = value;
  auto* property = new wxFloatProperty(wxString(caption), wxPG_LABEL, value);
  m_grid->AppendIn(parent, property);
  property->SetAttribute(wxPG_FLOAT_PRECISION, 1);
  property->SetAttribute(wxPG_ATTR_MIN, range.min);
  property->SetAttribute(wxPG_ATTR_MAX, range.max);
  property->SetAttribute(wxPG_ATTR_SPINCTRL_STEP, 0.1);
  property->SetEditor(wxPGEditor_SpinCtrl);
  m_bindings[property] = {field, range};
  return property;
}

void CStairWatchDlg::BuildPropertyGrid() {
  m_grid->Clear();
  m_bindings.clear();
  wxPGProperty* lossCut = m_grid->Append(new wxPropertyCategory(L"손절(Losscut) 라인(%)"));
  // The loss-cut rows start with the values they are given; their fields take them, so what
  // the rows show is what applies.
  AddRuleRow(lossCut, L"국내 주식 손절 라인(%) (-100:손절안함)", -10.0, &m_rules.domesticLossCut,
             kStairLossCutRange);
  AddRuleRow(lossCut, L"해외 주식 손절 라인(%) (-100:손절안함)", -7.0, &m_rules.overseasLossCut,
             kStairLossCutRange);
  AddRuleRow(lossCut, L"코인(Coin) 손절 라인(%) (-100:손절안함)", -7.0, &m_rules.coinLossCut,
             kStairLossCutRange);
  AddRuleRow(lossCut, L"추가 손절 라인(%)", -3.0, &m_rules.extraLossCut, kStairLossCutRange);

  wxPGProperty* bands = m_grid->Append(new wxPropertyCategory(L"수익 구간(%)"));
  auto* firstBand = new wxBoolProperty(L"첫 구간 보정 적용", wxPG_LABEL, m_rules.firstBandCorrection);
  m_grid->AppendIn(bands, firstBand);
  firstBand->SetAttribute(wxPG_BOOL_USE_CHECKBOX, true);
  static const wchar_t* const kBandNames[5] = {
      L"4.9% 이하 수익권, 최저 이익/간격 설정", L"5~14.9% 수익권 보정 (-2/-3 낮게 권장)",
      L"15~29.9% 수익권 보정 (-2/-3 낮게 권장)", L"30%~49.9% 수익권 보정 (-2/-3 낮게 권장)",
      L"50% 이상 수익권 보정 (-2/-3 낮게 권장)"};
  for (int band = 0; band < 5; ++band) {
    wxPGProperty* sub = m_grid->AppendIn(bands, new wxPropertyCategory(kBandNames[band]));
    if (band == 0) {
      AddRuleRow(sub, L"최저 이익 (3~5% 권장)", m_rules.minProfit, &m_rules.minProfit,
                 kStairBand1Range);
      AddRuleRow(sub, L"계단 간격 (2% 이내 권장)", m_rules.stepInterval, &m_rules.stepInterval,
                 kStairBand1Range);
    } else {
      double& profit = m_rules.minProfitCorrection[band - 1];
      double& step = m_rules.stepIntervalCorrection[band - 1];
      // Each band's rows carry the band's name, so that wxPG_LABEL names stay unique.
      wxPGProperty* row = AddRuleRow(sub, L"최저 이익 (-2%/-3% 권장)", profit, &profit,
                                     kStairBandRange);
      row->SetName(wxString::Format("band%d.profit", band + 1));
      row = AddRuleRow(sub, L"계단 간격 (3%이상 설정도 유익)", step, &step, kStairBandRange);
      row->SetName(wxString::Format("band%d.step", band + 1));
    }
  }
  m_grid->ExpandAll();
}

void CStairWatchDlg::OnGridChanged(wxPropertyGridEvent& event) {
  wxPGProperty* property = event.GetProperty();
  if (!property) return;
  if (property->GetLabel() == L"첫 구간 보정 적용") {
    m_rules.firstBandCorrection = property->GetValue().GetBool();
    return;
  }
  auto found = m_bindings.find(property);
  if (found == m_bindings.end()) return;
  const double value = found->second.second.Clamp(property->GetValue().GetDouble());
  *found->second.first = value;
  if (value != property->GetValue().GetDouble()) property->SetValue(value);
}

void CStairWatchDlg::RecalcLayout() {
  wxDialog* dialog = m_form.GetWindow();
  if (!dialog) return;
  const wxSize size = dialog->GetClientSize();
  const StairLayout_s layout = ComputeStairLayout(RECT{0, 0, size.x, size.y}, m_view.Scale());
  auto place = [](wxWindow* window, const RECT& r) {
    if (window) window->SetSize(ToWx(r));
  };
  place(m_form.GetDlgItem(IDC_SW_COUNT), layout.count);
  place(m_grid, layout.grid);
  place(m_close, layout.close);
  place(m_form.GetDlgItem(IDC_SW_LABEL), layout.label);
  place(m_form.GetDlgItem(IDC_SW_LABEL2), layout.label2);
  place(m_form.GetDlgItem(IDC_SW_APPLY), layout.apply);
  place(m_form.GetDlgItem(IDC_SW_START), layout.start);
  place(m_light, layout.light);
  // The divider at 400 (scaled), leaving the values at least 80 pixels.
  if (m_grid) {
    const int width = layout.grid.right - layout.grid.left;
    m_grid->SetSplitterPosition(std::max(40, std::min(Px(400 * m_view.Scale()), width - 80)));
  }
  dialog->Refresh(false);
}

void CStairWatchDlg::ShowDialog(wxWindow* owner, bool modal, bool, int) {
  if (m_form.IsDialogShown()) {
    if (wxDialog* dialog = m_form.GetWindow()) dialog->Raise();
    return;
  }
  m_form.ShowDialog(owner, modal);
}

void CStairWatchDlg::HideDialog() { m_form.HideDialog(); }

void CStairWatchDlg::CenterWindow() {
  if (wxDialog* dialog = m_form.GetWindow()) dialog->CentreOnParent();
}

void CStairWatchDlg::ShowWindow(bool show) {
  if (!show) {
    HideDialog();
    return;
  }
  ShowDialog(nullptr, false, false, 0);
}

void CStairWatchDlg::SetHolding(const HoldingRow_s& holding) {
  m_holding = holding;
  m_hasHolding = true;
  // A new holding starts with the light red until its watch is started.
  SetLightState(holding.autoTrade ? 2 : 0);
  if (wxDialog* dialog = m_form.GetWindow())
    dialog->SetTitle(wxString(L"계단 손절/익절 설정 - " + holding.name + L"(" + holding.key.code +
                              L")"));
}

void CStairWatchDlg::SetStockCount(int count) {
  m_stockCount = count;
  if (m_form.GetDlgItem(IDC_SW_COUNT)) m_form.SetDlgItemText(IDC_SW_COUNT, CountText(count));
}

bool CStairWatchDlg::SetLightState(int state) {
  if (state == m_lightState) return false;
  m_lightState = state;
  if (!m_light) return true;
  m_light->state = state;
  m_light->Refresh(true);
  return true;
}

void CStairWatchDlg::OnBnClickedApply() {
  if (!m_hasHolding || !m_view.ApplyStairRules(m_holding.key, ToAutoStopLossRates(m_rules))) {
    orv::win::MessageBox(WideToUtf8(L"보유 중인 종목이 아닙니다."), "ERROR",
                         MB_OK | MB_ICONERROR);
    return;
  }
  // The engine stopped the holding's automatic trading until the watch is started again.
  SetLightState(0);
  orv::win::MessageBox(WideToUtf8(L"감시구간 설정이 적용되었습니다."), "INFORMATION",
                       MB_OK | MB_ICONINFORMATION);
}

void CStairWatchDlg::OnBnClickedStart() {
  SetLightState(1);
  if (!m_hasHolding || !m_view.StartHoldingAutoTrade(m_holding.key)) {
    SetLightState(0);
    orv::win::MessageBox(WideToUtf8(L"보유 중인 종목이 아닙니다."), "ERROR",
                         MB_OK | MB_ICONERROR);
    return;
  }
  SetLightState(2);
}

// Hides the dialog (and, shown modally, ends its loop).
void CStairWatchDlg::OnBnClickedClose() { HideDialog(); }

void InstallStairWatchMaker() {
  ChildMakers().stairWatchDialog = [](CPelomarView& view) -> std::unique_ptr<CPelomarStairDialog> {
    return std::make_unique<CStairWatchDlg>(0, &view, view);
  };
}
