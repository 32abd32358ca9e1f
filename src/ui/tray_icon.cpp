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
  added_ = false;
  TryAdd();
}

void TrayIcon::Remove() {
  shell_.Remove();
  added_ = false;
}

void TrayIcon::TellOnce(Text title, Text text) {
  notice_title_ = std::move(title);
  notice_ = std::move(text);
  if (added_) TryAdd();
}

void TrayIcon::TryAdd() {
  if (!added_) added_ = shell_.Add();
  if (!added_ || notice_.empty()) return;
  shell_.ShowBalloon(notice_title_, notice_);
  notice_.clear();
}

}  // namespace stackle
