"""Where a linked image's delay-import descriptors are, and how its delayed
calls reach them.

GNU ld links the descriptors (one per delay-loaded DLL, each named
__DELAY_IMPORT_DESCRIPTOR_<library> in the symbol table) but leaves the
image's delay-import directory empty; MinGW's __delayLoadHelper2 is handed a
descriptor by the DLL's tail-merge code instead. A delayed slot starts out
pointing at a stub that loads the slot's address and jumps to that tail-merge.
"""
import struct

from pe_image import MACHINE_AMD64, MACHINE_I386, PeError

DESCRIPTOR_SYMBOL_PREFIX = "__DELAY_IMPORT_DESCRIPTOR_"


def descriptor_symbols(symbols):
    """Sorted RVAs of the delay-import descriptors named in a symbol table."""
    return sorted(rva for name, rva in symbols.items() if name.startswith(DESCRIPTOR_SYMBOL_PREFIX))


def _rel32_target(cursor_rva, image, length):
    """Target of an instruction of `length` bytes at cursor_rva ending in a rel32."""
    cursor = image.cursor_at(cursor_rva + length - 4)
    return cursor_rva + length + cursor.i32le()


def _stub_i386(image, stub):
    """(slot, tail-merge) of `movl $slot, %eax; jmp tail-merge`."""
    cursor = image.cursor_at(stub)
    if cursor.take(1) != b"\xb8":
        raise PeError("no mov of the slot's address")
    slot = cursor.u32le() - image.image_base
    if cursor.take(1) != b"\xe9":
        raise PeError("no jump to the tail-merge")
    return slot, _rel32_target(stub + 5, image, 5)


def _stub_amd64(image, stub):
    """(slot, tail-merge) of `lea slot(%rip), %rax; jmp tail-merge`."""
    cursor = image.cursor_at(stub)
    if cursor.take(3) != b"\x48\x8d\x05":
        raise PeError("no lea of the slot's address")
    slot = _rel32_target(stub, image, 7)
    cursor = image.cursor_at(stub + 7)
    if cursor.take(1) != b"\xe9":
        raise PeError("no jump to the tail-merge")
    return slot, _rel32_target(stub + 7, image, 5)


def _descriptor_i386(image, tail_merge):
    """The descriptor pushed by `push %ecx; push %edx; push %eax; push $descriptor`."""
    cursor = image.cursor_at(tail_merge)
    if cursor.take(4) != b"\x51\x52\x50\x68":
        raise PeError("tail-merge does not push a descriptor")
    return cursor.u32le() - image.image_base


def _descriptor_amd64(image, tail_merge):
    """The descriptor loaded into %rcx (lea descriptor(%rip), %rcx) before the helper's call."""
    code = image.cursor_at(tail_merge).take(0x40)
    position = code.find(b"\x48\x8d\x0d")
    if position < 0:
        raise PeError("tail-merge passes no descriptor")
    return _rel32_target(tail_merge + position, image, 7)


def trace_slot(image, slot):
    """The descriptor a call through `slot` hands __delayLoadHelper2, before the
    DLL is loaded. Raises PeError naming the first step that does not hold."""
    initial = struct.unpack("<Q" if image.pe32_plus else "<I", image.cursor_at(slot).take(image.pointer_size))[0]
    if initial == 0:
        raise PeError("slot starts out as 0")
    stub = initial - image.image_base
    section = image.section_of(stub)
    if section is None or not section.executable:
        raise PeError(f"slot starts out at {initial:#x}, which is not code of the image")
    if image.machine == MACHINE_I386:
        stub_slot, tail_merge = _stub_i386(image, stub)
        descriptor = _descriptor_i386(image, tail_merge)
    elif image.machine == MACHINE_AMD64:
        stub_slot, tail_merge = _stub_amd64(image, stub)
        descriptor = _descriptor_amd64(image, tail_merge)
    else:
        raise PeError(f"machine {image.machine:#x} is not supported")
    if stub_slot != slot:
        raise PeError(f"its stub resolves another slot ({stub_slot:#x})")
    return descriptor
