// Names that belong to the product but are not carried by its package. A
// vendor rebranding the installer edits this one place.
#pragma once

// Product registry key under HKEY_LOCAL_MACHINE.
inline constexpr char16_t kProductKeyPath[] = u"SOFTWARE\\TrovalisServerV7";

// Folder below the shared documents folder that holds the panel's configuration.
inline constexpr char16_t kPanelConfigFolderName[] = u"ZorvanelleV7";
inline constexpr char16_t kPanelConfigFileName[] = u"PanelConfig.ini";

// Service of an older product generation that every installation removes.
inline constexpr char16_t kLegacyServiceName[] = u"QXScreenService";

// Title of the installer's window.
inline constexpr char16_t kWindowTitle[] = u"Zorvanelle Driver Installation";

// Machine-wide mutex held by an installation or removal for its whole run, so
// two never work on the product at once. It lives in a private namespace
// whose boundary is the Administrators SID, so that no other user can create
// it first and keep every run out; the global name is used only on a system
// without private namespaces (Wine).
inline constexpr char16_t kRunMutexNamespace[] = u"TrovalisServerV7";
inline constexpr char16_t kRunMutexInNamespace[] = u"TrovalisServerV7\\InstallOrRemove";
inline constexpr char16_t kRunMutexName[] = u"Global\\TrovalisServerV7.InstallOrRemove";

// Folder below %ProgramData% whose Logs folder holds the logs of elevated
// quiet runs that are not told where (the package's company folder name).
inline constexpr char16_t kLogCompanyFolderName[] = u"Zorvanelle";

// Name of the install log a quiet run writes when not told where.
inline constexpr char16_t kInstallLogFileName[] = u"TrovalisInstallV7.log";
