// The null descriptor that ends a program's table of delay-import
// descriptors. Each delay-loaded DLL's descriptor is linked into .text$2;
// this one sorts right after them (.text$3), so the table the delay-import
// directory points at (tools/pe/set-delay-directory) has its end marker.
__attribute__((section(".text$3"), used, aligned(4))) static const unsigned char kDelayImportTableEnd[32] = {};
