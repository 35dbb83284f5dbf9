<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja">
<context>
    <name>Quillory</name>
    <message>
        <source> minutes</source>
        <translation> 分ごと</translation>
    </message>
    <message>
        <source> ms</source>
        <translation> ミリ秒</translation>
    </message>
    <message>
        <source>%1$@ ERROR: %2$@ (%3$@)</source>
        <translation>%1$@ エラー: %2$@ (%3$@)</translation>
    </message>
    <message>
        <source>%1$d of the %2$d items are in progress.</source>
        <translation>%2$d 件中 %1$d 件が処理中です。</translation>
    </message>
    <message>
        <source>%@ Completed.</source>
        <translation>%@ が完了しました。</translation>
    </message>
    <message>
        <source>%@ ERROR:</source>
        <translation>%@ エラー:</translation>
    </message>
    <message>
        <source>%@ Error</source>
        <translation>%@ のエラー</translation>
    </message>
    <message>
        <source>%@ is not an image file (jpg, jpeg, png, gif, bmp, tiff or tif).</source>
        <translation>%@ は画像ファイル (jpg、jpeg、png、gif、bmp、tiff、tif) ではありません。</translation>
    </message>
    <message>
        <source>%d of the items are in progress.</source>
        <translation>%d 件が処理中です。</translation>
    </message>
    <message>
        <source>&amp;Cards</source>
        <translation>名刺(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>ファイル(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>ヘルプ(&amp;H)</translation>
    </message>
    <message>
        <source>&amp;Quillory</source>
        <translation>Quillory(&amp;Q)</translation>
    </message>
    <message>
        <source>Accept any certificate from the request address's host</source>
        <translation>リクエスト先ホストの証明書をすべて受け入れる</translation>
    </message>
    <message>
        <source>Add downloaded cards to the address book</source>
        <translation>ダウンロードした名刺をアドレスブックに追加する</translation>
    </message>
    <message>
        <source>Address book group</source>
        <translation>アドレスブックのグループ</translation>
    </message>
    <message>
        <source>Advanced Preferences</source>
        <translation>詳細設定</translation>
    </message>
    <message>
        <source>Advanced Preferences…</source>
        <translation>詳細設定…</translation>
    </message>
    <message>
        <source>All the items are in progress.</source>
        <translation>すべての項目が処理中です。</translation>
    </message>
    <message>
        <source>Application</source>
        <translation>アプリケーション</translation>
    </message>
    <message>
        <source>Brightness</source>
        <translation>明るさ</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>Character set of export files</source>
        <translation>書き出しファイルの文字コード</translation>
    </message>
    <message>
        <source>Check for Updates…</source>
        <translation>アップデートを確認…</translation>
    </message>
    <message>
        <source>Check for a newer version at start</source>
        <translation>起動時に新しいバージョンを確認する</translation>
    </message>
    <message>
        <source>CheckAccount</source>
        <translation>アカウント確認</translation>
    </message>
    <message>
        <source>Choose Classification…</source>
        <translation>表示する分類を選択…</translation>
    </message>
    <message>
        <source>Classification</source>
        <translation>分類</translation>
    </message>
    <message>
        <source>Classifications</source>
        <translation>分類</translation>
    </message>
    <message>
        <source>Classify</source>
        <translation>分類する</translation>
    </message>
    <message>
        <source>Classify Selected Cards…</source>
        <translation>選択した名刺を分類…</translation>
    </message>
    <message>
        <source>Command failed on %1$d of the %2$d items.</source>
        <translation>%2$d 件中 %1$d 件でコマンドが失敗しました。</translation>
    </message>
    <message>
        <source>Command failed on %d of the items.</source>
        <translation>%d 件でコマンドが失敗しました。</translation>
    </message>
    <message>
        <source>Command failed on all the items.</source>
        <translation>すべての項目でコマンドが失敗しました。</translation>
    </message>
    <message>
        <source>Command failed on some of the items.</source>
        <translation>一部の項目でコマンドが失敗しました。</translation>
    </message>
    <message>
        <source>Command failed on the item.</source>
        <translation>コマンドが失敗しました。</translation>
    </message>
    <message>
        <source>Company</source>
        <translation>会社名</translation>
    </message>
    <message>
        <source>Contrast</source>
        <translation>コントラスト</translation>
    </message>
    <message>
        <source>Convert full-width letters and digits to half-width</source>
        <translation>全角英数字を半角に変換する</translation>
    </message>
    <message>
        <source>Crop each card and reject scans with too much black area</source>
        <translation>名刺を切り抜き、黒い部分が多すぎるスキャンを取り除く</translation>
    </message>
    <message>
        <source>Disable black area checking next scan</source>
        <translation>次のスキャンで黒領域の確認をしない</translation>
    </message>
    <message>
        <source>Every</source>
        <translation>間隔</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>書き出し</translation>
    </message>
    <message>
        <source>Failed to access %@.</source>
        <translation>%@ にアクセスできませんでした。</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>検索</translation>
    </message>
    <message>
        <source>Found update</source>
        <translation>アップデートがあります</translation>
    </message>
    <message>
        <source>Gamma</source>
        <translation>ガンマ</translation>
    </message>
    <message>
        <source>Help page address</source>
        <translation>ヘルプページのアドレス</translation>
    </message>
    <message>
        <source>Highlight</source>
        <translation>ハイライト</translation>
    </message>
    <message>
        <source>Horizontal offset</source>
        <translation>水平オフセット</translation>
    </message>
    <message>
        <source>Ignore cards that exist only on the service</source>
        <translation>サービスにだけある名刺は取り込まない</translation>
    </message>
    <message>
        <source>Image quality (0 to 1)</source>
        <translation>画質 (0〜1)</translation>
    </message>
    <message>
        <source>Images (*.jpg *.jpeg *.png *.gif *.bmp *.tiff *.tif)</source>
        <translation>画像 (*.jpg *.jpeg *.png *.gif *.bmp *.tiff *.tif)</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>取り込み</translation>
    </message>
    <message>
        <source>Import Card Image</source>
        <translation>名刺画像の取り込み</translation>
    </message>
    <message>
        <source>Import Card Image…</source>
        <translation>名刺画像を取り込む…</translation>
    </message>
    <message>
        <source>Include the card image</source>
        <translation>名刺画像を含める</translation>
    </message>
    <message>
        <source>Insert cards face down, top edge first.</source>
        <translation>名刺を裏向きに、上端から差し込んでください。</translation>
    </message>
    <message>
        <source>Keep It</source>
        <translation>そのままにする</translation>
    </message>
    <message>
        <source>Log in</source>
        <translation>ログイン</translation>
    </message>
    <message>
        <source>Logged in to PELLUX (account %@).</source>
        <translation>PELLUX にログインしています (アカウント %@)。</translation>
    </message>
    <message>
        <source>Logged in to PELLUX.</source>
        <translation>PELLUX にログインしています。</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>氏名</translation>
    </message>
    <message>
        <source>Network access failed.</source>
        <translation>ネットワークにアクセスできませんでした。</translation>
    </message>
    <message>
        <source>No account.</source>
        <translation>アカウントがありません。</translation>
    </message>
    <message>
        <source>No card selected</source>
        <translation>名刺が選択されていません</translation>
    </message>
    <message>
        <source>No item for command.</source>
        <translation>対象の項目がありません。</translation>
    </message>
    <message>
        <source>No scanner</source>
        <translation>スキャナなし</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>PELLUX internal error.</source>
        <translation>PELLUX の内部エラーです。</translation>
    </message>
    <message>
        <source>PELLUX responded error: %d.</source>
        <translation>PELLUX がエラーを返しました: %d。</translation>
    </message>
    <message>
        <source>PELLUX response does not have required parameter: %@.</source>
        <translation>PELLUX の応答に必要な項目 %@ がありません。</translation>
    </message>
    <message>
        <source>PELLUX service</source>
        <translation>PELLUX サービス</translation>
    </message>
    <message>
        <source>Parsing response body failed.</source>
        <translation>応答を読み取れませんでした。</translation>
    </message>
    <message>
        <source>Parsing response body failed: %s</source>
        <translation>応答を読み取れませんでした: %s</translation>
    </message>
    <message>
        <source>Parsing response body failed: %s, %s</source>
        <translation>応答を読み取れませんでした: %s, %s</translation>
    </message>
    <message>
        <source>Paste Card Image</source>
        <translation>名刺画像を貼り付け</translation>
    </message>
    <message>
        <source>Pause before reading a card</source>
        <translation>名刺を読む前の待ち時間</translation>
    </message>
    <message>
        <source>Please Log in PELLUX</source>
        <translation>PELLUX にログインしてください</translation>
    </message>
    <message>
        <source>Please log in PELLUX.</source>
        <translation>PELLUX にログインしてください。</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>環境設定</translation>
    </message>
    <message>
        <source>Preferences…</source>
        <translation>環境設定…</translation>
    </message>
    <message>
        <source>Quillory Help</source>
        <translation>Quillory ヘルプ</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>終了</translation>
    </message>
    <message>
        <source>Quit and Download</source>
        <translation>終了してダウンロード</translation>
    </message>
    <message>
        <source>Regist</source>
        <translation>登録</translation>
    </message>
    <message>
        <source>Request address</source>
        <translation>リクエストのアドレス</translation>
    </message>
    <message>
        <source>Reset Scanner Settings</source>
        <translation>スキャナ設定を初期値に戻す</translation>
    </message>
    <message>
        <source>Resolution (dpi)</source>
        <translation>解像度 (dpi)</translation>
    </message>
    <message>
        <source>Rotation of new cards</source>
        <translation>新しい名刺の回転</translation>
    </message>
    <message>
        <source>Scan length (inches)</source>
        <translation>読み取りの長さ (インチ)</translation>
    </message>
    <message>
        <source>Scan width (inches)</source>
        <translation>読み取りの幅 (インチ)</translation>
    </message>
    <message>
        <source>Scanned</source>
        <translation>スキャン日時</translation>
    </message>
    <message>
        <source>Scanner</source>
        <translation>スキャナ</translation>
    </message>
    <message>
        <source>Scanner Initialization</source>
        <translation>スキャナの初期化</translation>
    </message>
    <message>
        <source>Scanner access failed: %1$@ = %2$d(%3$x) / %4$s = %5ld(%6$lx).</source>
        <translation>スキャナにアクセスできませんでした: %1$@ = %2$d(%3$x) / %4$s = %5$ld(%6$lx)。</translation>
    </message>
    <message>
        <source>Scanner access failed: connection lost.</source>
        <translation>スキャナにアクセスできませんでした: 接続が切れました。</translation>
    </message>
    <message>
        <source>Scanner connected</source>
        <translation>スキャナ接続中</translation>
    </message>
    <message>
        <source>Scanning</source>
        <translation>スキャン</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>検索</translation>
    </message>
    <message>
        <source>Service addresses</source>
        <translation>サービスのアドレス</translation>
    </message>
    <message>
        <source>Service base address</source>
        <translation>サービスの基本アドレス</translation>
    </message>
    <message>
        <source>Set Aside</source>
        <translation>別名で保管する</translation>
    </message>
    <message>
        <source>Set it aside to start a new card list? It is kept beside the new one.</source>
        <translation>このファイルを別名で保管して新しい名刺リストを始めますか? 元のファイルはそのまま残ります。</translation>
    </message>
    <message>
        <source>Shadow</source>
        <translation>シャドウ</translation>
    </message>
    <message>
        <source>Show All Classifications</source>
        <translation>すべての分類を表示</translation>
    </message>
    <message>
        <source>Show Selected Cards as Text</source>
        <translation>選択した名刺をテキストで表示</translation>
    </message>
    <message>
        <source>Show errors of background work in alerts</source>
        <translation>バックグラウンド処理のエラーをダイアログで表示する</translation>
    </message>
    <message>
        <source>Some of the items are in progress.</source>
        <translation>一部の項目が処理中です。</translation>
    </message>
    <message>
        <source>Sort names and companies by their reading</source>
        <translation>氏名と会社名をよみがなで並べる</translation>
    </message>
    <message>
        <source>Start reading cards when the scanner is connected</source>
        <translation>スキャナを接続したら名刺の読み取りを始める</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>状態</translation>
    </message>
    <message>
        <source>Synchronise with the service regularly</source>
        <translation>定期的にサービスと同期する</translation>
    </message>
    <message>
        <source>System error: %@ failed: %ld(%lx).</source>
        <translation>システムエラー: %@ が失敗しました: %ld(%lx)。</translation>
    </message>
    <message>
        <source>Terminate</source>
        <translation>終了する</translation>
    </message>
    <message>
        <source>The card list cannot be read</source>
        <translation>名刺リストを読み込めません</translation>
    </message>
    <message>
        <source>This_Is_A_Test</source>
        <translation>テスト</translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation>ツールバー</translation>
    </message>
    <message>
        <source>Unexpected HTTP Content-Type: %@</source>
        <translation>予期しない HTTP Content-Type です: %@</translation>
    </message>
    <message>
        <source>Unexpected HTTP response: %ld: %@</source>
        <translation>予期しない HTTP 応答です: %ld: %@</translation>
    </message>
    <message>
        <source>Unknown update record type: %@</source>
        <translation>不明な更新の種類です: %@</translation>
    </message>
    <message>
        <source>Updates and help</source>
        <translation>アップデートとヘルプ</translation>
    </message>
    <message>
        <source>Upload new cards at once</source>
        <translation>新しい名刺をすぐにアップロードする</translation>
    </message>
    <message>
        <source>User page address</source>
        <translation>ユーザーページのアドレス</translation>
    </message>
    <message>
        <source>Version file address</source>
        <translation>バージョンファイルのアドレス</translation>
    </message>
    <message>
        <source>Vertical offset</source>
        <translation>垂直オフセット</translation>
    </message>
    <message>
        <source>You are using the current version.</source>
        <translation>最新のバージョンをお使いです。</translation>
    </message>
    <message>
        <source>Logging in to PELLUX is required to use PELLUX OCR.
Would you log in PELLUX now?</source>
        <translation>PELLUX OCR を使うには PELLUX へのログインが必要です。
今すぐログインしますか?</translation>
    </message>
    <message>
        <source>Logging in to PELLUX is required to use PELLUX OCR.
Would you log in PELLUX now?
Please regist if you do not have PELLUX account.</source>
        <translation>PELLUX OCR を使うには PELLUX へのログインが必要です。
今すぐログインしますか?
PELLUX アカウントをお持ちでない場合は登録してください。</translation>
    </message>
    <message>
        <source>The application may not work correctly.
Would you terminate the application now?</source>
        <translation>アプリケーションが正しく動作しない可能性があります。
今すぐ終了しますか?</translation>
    </message>
    <message>
        <source>Please connect the scanner correctly.</source>
        <translation>スキャナを正しく接続してください。</translation>
    </message>
    <message>
        <source>You can update your software. Would you like to quit and download the updater with your web browser?</source>
        <translation>新しいバージョンがあります。終了してウェブブラウザでダウンロードしますか?</translation>
    </message>
    <message>
        <source>Newly scanned item is classified into this selection, and only record that is classified into this selection will be displayed.</source>
        <translation>新しくスキャンした名刺はこの分類に入り、この分類の名刺だけが表示されます。</translation>
    </message>
    <message>
        <source>The card list %@ cannot be read (%@). It is kept as it is and nothing will be saved over it.</source>
        <translation>名刺リスト %@ を読み込めません (%@)。ファイルはそのまま残し、上書きしません。</translation>
    </message>
    <message>
        <source>Name (reading)</source>
        <translation>氏名のよみ</translation>
    </message>
    <message>
        <source>Company (reading)</source>
        <translation>会社名のよみ</translation>
    </message>
    <message>
        <source>Department</source>
        <translation>部署</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>役職</translation>
    </message>
    <message>
        <source>Postal code</source>
        <translation>郵便番号</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>住所</translation>
    </message>
    <message>
        <source>Building</source>
        <translation>建物</translation>
    </message>
    <message>
        <source>Phone</source>
        <translation>電話</translation>
    </message>
    <message>
        <source>Fax</source>
        <translation>FAX</translation>
    </message>
    <message>
        <source>Mobile</source>
        <translation>携帯電話</translation>
    </message>
    <message>
        <source>E-mail</source>
        <translation>メール</translation>
    </message>
    <message>
        <source>Web</source>
        <translation>ウェブ</translation>
    </message>
    <message>
        <source>Memo</source>
        <translation>メモ</translation>
    </message>
    <message>
        <source>Create an account</source>
        <translation>アカウントを作成</translation>
    </message>
    <message>
        <source>Forgot your password?</source>
        <translation>パスワードを変更</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>追加</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>削除</translation>
    </message>
    <message>
        <source>Deselect</source>
        <translation>選択解除</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>完了</translation>
    </message>
    <message>
        <source>Synchronizing</source>
        <translation>同期</translation>
    </message>
    <message>
        <source>Upload</source>
        <translation>アップロード</translation>
    </message>
    <message>
        <source>Status_Created</source>
        <translation>作成</translation>
    </message>
    <message>
        <source>Status_Scanned</source>
        <translation>スキャン済み</translation>
    </message>
    <message>
        <source>Status_Uploading</source>
        <translation>アップロード待ち</translation>
    </message>
    <message>
        <source>Status_Uploaded</source>
        <translation>アップロード済み</translation>
    </message>
    <message>
        <source>Status_Digitizing</source>
        <translation>データ化中</translation>
    </message>
    <message>
        <source>Status_Digitized</source>
        <translation>データ化済み</translation>
    </message>
    <message>
        <source>Status_Rejected</source>
        <translation>データ化不可</translation>
    </message>
    <message>
        <source>Status_Deleted</source>
        <translation>削除済み</translation>
    </message>
    <message>
        <source>Status_Downloaded</source>
        <translation>ダウンロード済み</translation>
    </message>
    <message>
        <source>Scanner polling stoppted.</source>
        <translation>連続読み取りを停止しました。</translation>
    </message>
    <message>
        <source>_PELLUX_ERROR_102</source>
        <translation>メールアドレスまたはパスワードが違います (%d)。</translation>
    </message>
    <message>
        <source>_PELLUX_ERROR_121</source>
        <translation>この名刺はすでにサービスにあります (%d)。</translation>
    </message>
    <message>
        <source>_PELLUX_ERROR_122</source>
        <translation>この名刺はサービスにもうありません (%d)。</translation>
    </message>
    <message>
        <source>_PELLUX_ERROR_301</source>
        <translation>サービス内部の接続に失敗しました。しばらくしてからやり直してください (%d)。</translation>
    </message>
    <message>
        <source>_PELLUX_ERROR_311</source>
        <translation>サービスがこのコマンドに対応していません (%d)。</translation>
    </message>
    <message>
        <source>_FORMAT_CONTACTXML_LANG</source>
        <translation>ja</translation>
    </message>
    <message>
        <source>Scanned image has too much blank area.</source>
        <translation>スキャンした画像に黒い部分が多すぎます。</translation>
    </message>
    <message>
        <source>Scanner already opened: %p/%p.</source>
        <translation>スキャナはすでに開かれています: %p/%p。</translation>
    </message>
    <message>
        <source>Scanner already working: %p/%d.</source>
        <translation>スキャナはすでに動作中です: %p/%d。</translation>
    </message>
    <message>
        <source>Scanner termination has been timed out.</source>
        <translation>スキャナの停止がタイムアウトしました。</translation>
    </message>
    <message>
        <source>Scanner already opened: %@.</source>
        <translation>スキャナはすでに開かれています: %@。</translation>
    </message>
    <message>
        <source>Scanner not opened.</source>
        <translation>スキャナが開かれていません。</translation>
    </message>
    <message>
        <source>Scanner already working: %@.</source>
        <translation>スキャナはすでに動作中です: %@。</translation>
    </message>
    <message>
        <source>Scanner not working: %@.</source>
        <translation>スキャナは動作していません: %@。</translation>
    </message>
    <message>
        <source>Monitoring scanner already running: %p/%p/%p/%08x/%08x.</source>
        <translation>スキャナの監視はすでに動作中です: %p/%p/%p/%08x/%08x。</translation>
    </message>
</context>
</TS>
