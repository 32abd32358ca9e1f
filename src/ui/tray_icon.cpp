#include "ui/tray_icon.h"

#include <utility>

namespace stackle {

void TrayIcon::Add() {
  TryAdd();
  if (added_) return;
  retries_left_ = 5;
  dialog_.SetTimer(kTrayRetryTimer, 2000);
}

void TrayIcon::OnRetryTick() {
  if (!added_) TryAdd();
  if (added_ || --retries_left_ <= 0) dialog_.KillTimer(kTrayRetryTimer);
}

void TrayIcon::OnTaskbarCreated() {
  // A shell that announces a task bar it did not create anew still holds the icon.
  added_ = shell_.Replace();
  ShowNotice();
}

void TrayIcon::Remove() {
  shell_.Remove();
  added_ = false;
}

void TrayIcon::TellOnce(Text title, Text text) {
  notice_title_ = std::move(title);
  notice_ = std::move(text);
  ShowNotice();
}

void TrayIcon::TryAdd() {
  if (!added_) added_ = shell_.Add();
  ShowNotice();
}

void TrayIcon::ShowNotice() {
  if (!added_ || notice_.empty()) return;
  shell_.ShowBalloon(notice_title_, notice_);
  notice_.clear();
}

}  // namespace stackle
