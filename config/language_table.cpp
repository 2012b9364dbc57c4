#include "config/language_table.h"

namespace {

// Texts of slots 2 to 27 of one language; nullptr leaves the slot empty.
// Every text is kept exactly as the product has always shown it, trailing
// blanks and misspellings included: administrators and translators compare
// screens against these texts. U+2026 (one character, not three dots) is
// written as an escape so it cannot be mistaken for "...".
using LanguageRow = std::array<const char16_t*, kLanguageSlotCount - 1>;

constexpr LanguageRow kEnglishRow = {{
    u"License Agreement",                                                                    // 2
    u"Installation Path:",                                                                   // 3
    u"Browse",                                                                               // 4
    u"Agree",                                                                                // 5
    u"Disagree",                                                                             // 6
    u"Preparing ...",                                                                        // 7
    u"Installation Complete!",                                                               // 8
    u"Installation Cancelled!",                                                              // 9
    u"Copying file ",                                                                        // 10
    u"Deleting file",                                                                        // 11
    u"Installing drivers, this may take several minutes, please wait...",                    // 12
    u"Uninstalling driver...",                                                               // 13
    u"Installing servicing interface...",                                                    // 14
    u"Uninstalling servicing interface...",                                                  // 15
    u"Error creating files!",                                                                // 16
    u"Error installing drivers, please try again after restart your computer.",              // 17
    u"Error installing servicing interface, please try again after restart your computer.",  // 18
    u"Configuring servicing interface...",                                                   // 19
    u"Stopping servicing interface...",                                                      // 20
    u"Cancelling Setup",                                                                     // 21
    u"Are you sure you want to cancel the setup?",                                           // 22
    u"Previous version found, uninstalling",                                                 // 23
    u"Please Select Language",                                                               // 24
    u"Please Select Installation Folder",                                                    // 25
    u"Click [Install] button means you have accepted the",                                   // 26
    u"Install",                                                                              // 27
}};

constexpr LanguageRow kChineseRow = {{
    u"安装协议",                                              // 2
    u"安装路径：",                                            // 3
    u"浏览",                                                  // 4
    u"同意",                                                  // 5
    u"不同意",                                                // 6
    u"准备安装 ...",                                          // 7
    u"安装完成",                                              // 8
    u"取消安装",                                              // 9
    u"正在复制文件",                                          // 10
    u"正在删除文件",                                          // 11
    u"正在安装驱动，需要数分钟时间，请耐心等待\u2026\u2026",  // 12
    u"正在卸载驱动",                                          // 13
    u"正在安装服务，需要数分钟时间，请耐心等待\u2026\u2026",  // 14
    u"正在卸载服务",                                          // 15
    u"创建文件失败",                                          // 16
    u"安装驱动失败，请重启计算机再试一次。",                  // 17
    u"安装服务失败",                                          // 18
    u"正在配置服务接口\u2026\u2026",                          // 19
    u"正在停止服务\u2026\u2026",                              // 20
    u"退出安装",                                              // 21
    u"确定要取消安装吗?",                                     // 22
    u"发现已安装版本，正在卸载",                              // 23
    u"请选择安装语言",                                        // 24
    u"请选择安装目录",                                        // 25
    u"单击\"安装\"按钮, 即表示您已经接受",                    // 26
    u"安装",                                                  // 27
}};

constexpr LanguageRow kGermanRow = {{
    u"Lizenzvereinbarung ",                                                  // 2
    u"Instalationsweg:",                                                     // 3
    u"Blättern",                                                             // 4
    u"Stimme zu",                                                            // 5
    u"Stimme nicht zu",                                                      // 6
    u"Wird vorbereitet...",                                                  // 7
    u"Installation abgeschlossen!",                                          // 8
    u"Instalation abgebrochen!",                                             // 9
    u"Datei wird Kopiert",                                                   // 10
    u"Datei wird gelöscht",                                                  // 11
    u"Installation von Treibern kann einige Minuten dauern, bitte warten.",  // 12
    u"Treiber werden deinstalliert ",                                        // 13
    u"Installation von Service Schnittstelle, bitte warten",                 // 14
    u"Service Schnittstelle wird deinstalliert, bitte warten",               // 15
    u"Fehler bei der Datei",                                                 // 16
    u"Fehler Bei der installation von Treibern, bitte versuchen Sie es ernueut nach dem Sie ihren Computer neu "
    u"gestartet haben.",  // 17
    u"Fehler bei der Installation der Service Schnittstelle bitte versuchen Sie es erneut nach dem Sie den Copmuter "
    u"neu gestartet haben. ",                                     // 18
    u"Konfiguration der Service- Schnittstelle\u2026",            // 19
    u"Anhalten Service- Schnittstelle...",                        // 20
    u"Setup wird abgebrochen",                                    // 21
    u"Sind Sie sich sicher das Sie das Setup abbrechen wollen?",  // 22
    u"Frühere Version gefunden, wird deinstalliert!",             // 23
    nullptr,                                                      // 24
    nullptr,                                                      // 25
    nullptr,                                                      // 26
    nullptr,                                                      // 27
}};

constexpr LanguageRow kItalianRow = {{
    u"Contratto di Licenza",                                                                    // 2
    u"Percorso installazione:",                                                                 // 3
    u"Sfoglia",                                                                                 // 4
    u"Accetto",                                                                                 // 5
    u"Non accetto",                                                                             // 6
    u"Preparazione\u2026",                                                                      // 7
    u"Installazione Completa!",                                                                 // 8
    u"Installazione Annullata!",                                                                // 9
    u"Copia files",                                                                             // 10
    u"Cancellazione files",                                                                     // 11
    u"Installazione drivers, questo potrebbe richiedere alcuni minuti, attendere prego\u2026",  // 12
    u"Disinstallazione drivers\u2026",                                                          // 13
    u"Installazione Interfaccia Manutenzione, attendere prego\u2026",                           // 14
    u"Disinstallazione Interfaccia Manutenzione, attendere prego\u2026",                        // 15
    u"Errore durante la creazione files!",                                                      // 16
    u"Errore durante l'installazione drivers, riavvia il sistema e riprova.",                   // 17
    u"Errore durante l'installazione Interfaccia Manutenzione, riavvia il sistema e riprova.",  // 18
    u"Configurazione Interfaccia Manutenzione\u2026",                                           // 19
    u"Arresto Interfaccia Manutenzione\u2026",                                                  // 20
    u"Annulla Installazione",                                                                   // 21
    u"Sei sicuro di voler annullare l'installazione?",                                          // 22
    u"Trovata una precedente versione del software, disinstallazione\u2026",                    // 23
    nullptr,                                                                                    // 24
    nullptr,                                                                                    // 25
    nullptr,                                                                                    // 26
    nullptr,                                                                                    // 27
}};

constexpr LanguageRow kKoreanRow = {{
    u"라이선스 협정",                                         // 2
    u"설치 경로:",                                            // 3
    u"둘러보기",                                              // 4
    u"동의함",                                                // 5
    u"동의하지 않음",                                         // 6
    u"설치 준비중",                                           // 7
    u"설치 완료",                                             // 8
    u"설치 취소 됨",                                          // 9
    u"파일 복사 중",                                          // 10
    u"파일 삭제 중",                                          // 11
    u"드라이버 설치중, 시간이 소요 되니 잠시만 기다리세요 ",  // 12
    u"드라이버 제거 중",                                      // 13
    u"서버 설치중, 시간이 소요 되니 잠시만 기다리세요 ",      // 14
    u"서비스 인터페이스 제거 중.잠시 기다리세요",             // 15
    u"파일 생성 오류",                                        // 16
    u"드라이버 설치 실패 ,컴퓨터를 다시 시작하세요",          // 17
    u"설치 실패,컴퓨터를 다시 시작하세요",                    // 18
    u"서버 인터페이스 설정 중",                               // 19
    u"서버 정지 중",                                          // 20
    u"설치 취소 중",                                          // 21
    u"설치를 취소 하시겠습니까?",                             // 22
    u"이전 버전이 설치 되어 있습니다. 재거 중\u2026",         // 23
    nullptr,                                                  // 24
    nullptr,                                                  // 25
    nullptr,                                                  // 26
    nullptr,                                                  // 27
}};

constexpr LanguageRow kRussianRow = {{
    u"лицензионное соглашение",                                                        // 2
    u"путь установки:",                                                                // 3
    u"Просмотр",                                                                       // 4
    u"Согласен",                                                                       // 5
    u"Не согласен",                                                                    // 6
    u"подготовка ...",                                                                 // 7
    u"Установка завершена!",                                                           // 8
    u"устройство cancelled!",                                                          // 9
    u"Копирование файлов ",                                                            // 10
    u"Удалить файл",                                                                   // 11
    u"Происходит установка драйверов и ПО, это может занять несколько минут...",       // 12
    u"Удалить драйвер...",                                                             // 13
    u"установка службы интерфейс...",                                                  // 14
    u"Удалить службы интерфейс...",                                                    // 15
    u"Ошибка создания файла!",                                                         // 16
    u"Ошибка установки драйвера, пожалуйста, Перезагрузите компьютер после.",          // 17
    u"Ошибка установки службы интерфейс, пожалуйста, Перезагрузите компьютер после.",  // 18
    u"Настройка службы интерфейс...",                                                  // 19
    u"прекратить servicing интерфейс...",                                              // 20
    u"Cancelling setup",                                                               // 21
    u"Вы уверены, что хотите отменить установку?",                                     // 22
    u"Предыдущие версии, разгрузка",                                                   // 23
    nullptr,                                                                           // 24
    nullptr,                                                                           // 25
    nullptr,                                                                           // 26
    nullptr,                                                                           // 27
}};

const LanguageRow& RowOf(uint32_t langId) {
    switch (langId) {
        case kLangGerman:
            return kGermanRow;
        case kLangItalian:
            return kItalianRow;
        case kLangKorean:
            return kKoreanRow;
        case kLangRussian:
            return kRussianRow;
        case kLangChinese:
            return kChineseRow;
        default:
            return kEnglishRow;
    }
}

size_t IndexOf(LanguageSlot slot) {
    return static_cast<size_t>(slot) - 1;
}

}  // namespace

const std::optional<std::u16string>& SlotText(const LanguageTable& table, LanguageSlot slot) {
    return table.Slots[IndexOf(slot)];
}

void FillLanguageTable(uint32_t langId, LanguageTable& table) {
    for (auto& slot : table.Slots)
        slot.reset();
    table.Slots[IndexOf(LanguageSlot::SelectLanguageLabel)] = u"Select Language:";
    const LanguageRow& row = RowOf(langId);
    for (size_t i = 0; i < row.size(); ++i) {
        if (row[i])
            table.Slots[i + 1] = row[i];
    }
}

std::u16string_view DamagedInstallerText(uint32_t langId) {
    if (ProductLanguageFor(langId) == kLangChinese)
        return u"安装程序已损坏，请重新下载。";
    return u"The installer is damaged. Please download it again.";
}
