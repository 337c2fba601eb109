// The cafe data view as the trading view holds it: the view's window, made from its runtime
// class, with the trading view's calls passed to it, and the view as the cafe worker's filler
// for as long as both exist.

#include <type_traits>  // wx/weakref.h uses it without including it

#include <wx/weakref.h>

#include "platform/ui/DbViewBase.h"
#include "plugin/community/dataview/CafeDataView.h"
#include "plugin/community/dataview/CafeDataViewMaker.h"
#include "plugin/view/ChildWindows.h"
#include "plugin/view/PelomarView.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "shared/Messages.h"
#include "shared/RuntimeClass.h"

namespace {

const CRuntimeClass kCafeDataViewClass{
    "CCafeDataView", []() -> CDbBaseNormalView* { return new CCafeDataView(nullptr); }};

class CCafeDataViewChild : public CPelomarChildView, public ICafeFiller {
 public:
  explicit CCafeDataViewChild(CPelomarView& owner) : m_owner(owner) {}

  ~CCafeDataViewChild() override {
    m_owner.Engine().Cafe().SetDataViewFiller(nullptr);
    // The window may sit in a container of the host's, which outlives the trading view.
    if (CCafeDataView* view = m_view.get()) view->Destroy();
  }

  void SetSharedWnds(SharedWnds_s* block) override { m_block = block; }

  bool CreateView(const wchar_t* className, DWORD style, const RECT& rect, wxWindow* parent,
                  UINT id) override {
    auto* view = dynamic_cast<CCafeDataView*>(
        GfxCreateEmbededView(nullptr, &kCafeDataViewClass, rect, parent, id, style, m_block));
    if (!view) return false;
    view->SetOwner(&m_owner);
    view->SetSharedWnds(m_block);
    if (className) view->SetName(wxString(className));
    view->OnInitialUpdate();
    m_view = view;
    m_owner.Engine().Cafe().SetDataViewFiller(this);
    return true;
  }

  wxWindow* GetWindow() override { return m_view.get(); }

  int64_t OnReceivedMsgFromManager(int kind, UINT code, WPARAM wParam, LPARAM lParam,
                                   void* data) override {
    CCafeDataView* view = m_view.get();
    return view ? view->OnReceivedMsgFromManager(kind, code, wParam, lParam, data) : 0;
  }

  int RefreshUITextByLanguageId(int languageId) override {
    CCafeDataView* view = m_view.get();
    if (!view) return 0;
    // A language of its own reaches the view as the host's language message.
    if (languageId >= 1)
      return static_cast<int>(GfxSendMessageToWnd(view, WM_MODULE_LANGUAGE, MODULE_LANGUAGE_WPARAM,
                                                  static_cast<LPARAM>(languageId)));
    return view->RefreshUITextByLanguageId(languageId);
  }

  int FetchClientList(wxWindow*) override {
    CCafeDataView* view = m_view.get();
    return view ? view->FetchClientList(true) : 0;
  }

  int UploadClients(int) override {
    CCafeDataView* view = m_view.get();
    return view ? view->UploadClients(0) : 0;
  }

  void OnHostRefresh(WPARAM command, LPARAM record) override {
    if (CCafeDataView* view = m_view.get())
      GfxSendMessageToWnd(view, WM_MODULE_REFRESH, command, record);
  }

  // ICafeFiller: the worker's results reach the view while its window exists.
  void FillCafeGroups(const CafeSnapshotPtr& snapshot) override {
    if (CCafeDataView* view = m_view.get()) view->FillCafeGroups(snapshot);
  }
  void FillCafeRows(const CafeSnapshotPtr& snapshot) override {
    if (CCafeDataView* view = m_view.get()) view->FillCafeRows(snapshot);
  }
  void SetCafeManagerFlags(int managerFlag, bool chiefManager) override {
    if (CCafeDataView* view = m_view.get()) view->SetCafeManagerFlags(managerFlag, chiefManager);
  }

 private:
  CPelomarView& m_owner;
  SharedWnds_s* m_block = nullptr;
  wxWeakRef<CCafeDataView> m_view;
};

}  // namespace

std::unique_ptr<CPelomarChildView> MakeCafeDataView(CPelomarView& view) {
  return std::make_unique<CCafeDataViewChild>(view);
}
