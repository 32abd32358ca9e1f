// What Stackle says about itself when no help file stands beside it.
#pragma once

namespace stackle {

inline constexpr char16_t kHelpText[] =
    u"Stackle はウインドウの重なり順・表示・優先度を変更するツールです。\n"
    u"\n"
    u"ｳｲﾝﾄﾞｳの取得(G)：ウインドウのリストを更新します。\n"
    u"一番手前に(T)：選択したウインドウを手前に表示します（Enter・Esc も同じ）。\n"
    u"常に手前に(M)：選択したウインドウを常に手前に表示します。\n"
    u"常に手前解除(U)：常に手前の表示を解除します。\n"
    u"一番奥に(B)：選択したウインドウを最後面に移動します。\n"
    u"表示/非表示(S)：選択したウインドウを隠す、または再び表示します。\n"
    u"終了(X)：Stackle を終了します。隠したウインドウは表示されます。\n"
    u"\n"
    u"リストをダブルクリックすると最小化・元に戻す、右クリックすると\n"
    u"最大化・閉じる・優先度や不透明度の変更などのメニューが開きます。\n"
    u"\n"
    u"通知領域のアイコンを左クリックするとウインドウの一覧から表示・非表示を\n"
    u"切り替えられ、右クリックするとダイアログの最小化・復元、ヘルプ、\n"
    u"バージョン情報、ホットキーの設定、ルールを読み直す、すべて不透明に戻す、\n"
    u"終了のメニューが開きます。\n"
    u"\n"
    u"stackle.ini の [Rules] に書いたルールは、ウインドウが現れるたびに\n"
    u"常に手前・非表示・優先度・不透明度を設定します。\n"
    u"\n"
    u"ホットキー（初期値）はどこからでも使えます：\n"
    u"Ctrl+Shift+F11：アクティブなウインドウを常に手前に/解除\n"
    u"Ctrl+Shift+F10：アクティブなウインドウを一番奥に\n"
    u"Ctrl+Shift+F9：アクティブなウインドウを非表示\n"
    u"Ctrl+Shift+F8：隠したウインドウをすべて表示\n"
    u"Ctrl+Shift+F7：Stackle を手前に\n"
    u"Ctrl+Shift+F5：アクティブなウインドウの不透明度を下げる\n"
    u"Ctrl+Shift+F6：アクティブなウインドウの不透明度を上げる\n"
    u"ホットキーの設定（アイコンの右クリック メニューとシステム メニュー）で\n"
    u"変更でき、stackle.ini に保存されます。\n"
    u"\n"
    u"コマンド ライン：stackle /top テキスト のように、/top /notop /front /bottom\n"
    u"/hide /show /close /opacity /opaque /showall /list /rules /reload /exit で\n"
    u"動いている Stackle を操作できます。\n"
    u"stackle /? で使い方を表示します。\n"
    u"\n"
    u"nolist.txt に書いた文字列を含むタイトルのウインドウはリストに出ません。\n"
    u"位置とX-Mose機能の間隔は stackle.dat に保存されます。";

}  // namespace stackle
