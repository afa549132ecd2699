// What the main dialog does with its events; the platform's window only forwards them.
#pragma once

#include "platform/platform.h"
#include "update_record.h"

namespace ostrel {

class DialogLogic : public DialogHandler {
 public:
  explicit DialogLogic(CVarnelCameraDlg& record) : record_(record) {}

  void OnInitDialog(DialogView& view) override;
  void OnTimer(int timerId) override;
  bool OnCloseRequest() override;
  void OnRepaint() override;

 private:
  CVarnelCameraDlg& record_;
};

// The state picture a repaint shows, or 0 when the state asks for none.
int RepaintBitmap(int32_t finished, uint8_t state);

}  // namespace ostrel
