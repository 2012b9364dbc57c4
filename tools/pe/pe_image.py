"""A small reader of PE images (PE32 and PE32+): headers, sections, the import,
delay-import and export tables, and the COFF symbol table of an unstripped
image. Every read is bounds-checked: a table that runs past its section or the
file raises PeError instead of reading garbage.
"""
import struct

DIR_EXPORT, DIR_IMPORT, DIR_DELAY_IMPORT = 0, 1, 13
DELAY_DESCRIPTOR_SIZE = 32
SCN_MEM_EXECUTE = 0x20000000
SCN_MEM_WRITE = 0x80000000
MACHINE_I386, MACHINE_AMD64 = 0x14C, 0x8664
MAX_TABLE_ENTRIES = 1 << 16


class PeError(Exception):
    pass


class Cursor:
    """Little-endian reads from a bytes object; a short read raises PeError."""

    def __init__(self, data, offset=0, end=None):
        self.data = data
        self.offset = offset
        self.end = len(data) if end is None else min(end, len(data))

    def take(self, size):
        if size < 0 or self.offset + size > self.end:
            raise PeError(f"read of {size} bytes at {self.offset:#x} runs past {self.end:#x}")
        piece = self.data[self.offset:self.offset + size]
        self.offset += size
        return piece

    def u8(self):
        return self.take(1)[0]

    def u16le(self):
        return struct.unpack("<H", self.take(2))[0]

    def u32le(self):
        return struct.unpack("<I", self.take(4))[0]

    def u64le(self):
        return struct.unpack("<Q", self.take(8))[0]

    def i32le(self):
        return struct.unpack("<i", self.take(4))[0]


class Section:
    def __init__(self, name, rva, virtual_size, raw_offset, raw_size, characteristics):
        self.name = name
        self.rva = rva
        self.virtual_size = virtual_size
        self.raw_offset = raw_offset
        self.raw_size = raw_size
        self.characteristics = characteristics

    def holds(self, rva, size=1):
        return self.rva <= rva and rva + size <= self.rva + max(self.virtual_size, self.raw_size)

    @property
    def executable(self):
        return bool(self.characteristics & SCN_MEM_EXECUTE)

    @property
    def writable(self):
        return bool(self.characteristics & SCN_MEM_WRITE)


class PeImage:
    """A parsed image. `data` is the file's bytes (a bytearray may be patched)."""

    def __init__(self, data):
        self.data = data
        cursor = Cursor(data, 0)
        if cursor.take(2) != b"MZ":
            raise PeError("no MZ header")
        cursor.offset = 0x3C
        self.pe_offset = cursor.u32le()
        cursor.offset = self.pe_offset
        if cursor.take(4) != b"PE\0\0":
            raise PeError("no PE signature")
        self.machine = cursor.u16le()
        section_count = cursor.u16le()
        cursor.u32le()  # time stamp
        self.symbol_table_offset = cursor.u32le()
        self.symbol_count = cursor.u32le()
        optional_size = cursor.u16le()
        cursor.u16le()  # characteristics
        self.optional_offset = cursor.offset
        self._read_optional_header(Cursor(data, cursor.offset, cursor.offset + optional_size))
        self.sections = self._read_sections(Cursor(data, self.optional_offset + optional_size), section_count)

    def _read_optional_header(self, cursor):
        magic = cursor.u16le()
        if magic not in (0x10B, 0x20B):
            raise PeError(f"unknown optional header magic {magic:#x}")
        self.pe32_plus = magic == 0x20B
        self.pointer_size = 8 if self.pe32_plus else 4
        cursor.offset = self.optional_offset + (24 if self.pe32_plus else 28)
        self.image_base = cursor.u64le() if self.pe32_plus else cursor.u32le()
        cursor.offset = self.optional_offset + (108 if self.pe32_plus else 92)
        count = cursor.u32le()
        if count > 16:
            raise PeError(f"{count} data directories")
        self.directory_offset = cursor.offset
        self.directories = [(cursor.u32le(), cursor.u32le()) for _ in range(count)]

    def _read_sections(self, cursor, count):
        sections = []
        for _ in range(count):
            name = cursor.take(8).rstrip(b"\0").decode("latin-1")
            virtual_size, rva, raw_size, raw_offset = (cursor.u32le() for _ in range(4))
            cursor.take(12)
            sections.append(Section(name, rva, virtual_size, raw_offset, raw_size, cursor.u32le()))
        return sections

    def section_of(self, rva, size=1):
        for section in self.sections:
            if section.holds(rva, size):
                return section
        return None

    def cursor_at(self, rva):
        """A cursor over the file bytes of the section holding rva, from rva on."""
        section = self.section_of(rva)
        if section is None or rva - section.rva >= section.raw_size:
            raise PeError(f"RVA {rva:#x} is in no section's file data")
        start = section.raw_offset + rva - section.rva
        return Cursor(self.data, start, section.raw_offset + section.raw_size)

    def ascii_at(self, rva, limit=512):
        cursor = self.cursor_at(rva)
        text = bytearray()
        while True:
            byte = cursor.u8()
            if byte == 0:
                return text.decode("latin-1")
            text.append(byte)
            if len(text) > limit:
                raise PeError(f"name at {rva:#x} longer than {limit}")

    def pointer(self, cursor):
        return cursor.u64le() if self.pe32_plus else cursor.u32le()

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def _thunk_names(self, rva):
        """Names (or '#ordinal') of a null-terminated name or lookup table."""
        ordinal_flag = 1 << (self.pointer_size * 8 - 1)
        cursor = self.cursor_at(rva)
        names = []
        while len(names) < MAX_TABLE_ENTRIES:
            entry = self.pointer(cursor)
            if entry == 0:
                return names
            if entry & ordinal_flag:
                names.append(f"#{entry & 0xFFFF}")
            else:
                names.append(self.ascii_at((entry & 0x7FFFFFFF) + 2))
        raise PeError(f"name table at {rva:#x} has no end")

    def imports(self):
        """[(dll name, [function names])] of the import directory."""
        rva, size = self.directory(DIR_IMPORT)
        if rva == 0:
            return []
        cursor = self.cursor_at(rva)
        result = []
        while len(result) < MAX_TABLE_ENTRIES:
            lookup, _, _, name, first_thunk = (cursor.u32le() for _ in range(5))
            if lookup == 0 and name == 0 and first_thunk == 0:
                return result
            result.append((self.ascii_at(name), self._thunk_names(lookup or first_thunk)))
        raise PeError("import directory has no end")

    def delay_descriptors(self):
        """[DelayDescriptor] of the delay-import directory."""
        rva, _ = self.directory(DIR_DELAY_IMPORT)
        if rva == 0:
            return []
        cursor = self.cursor_at(rva)
        result = []
        while len(result) < MAX_TABLE_ENTRIES:
            descriptor_rva = rva + DELAY_DESCRIPTOR_SIZE * len(result)
            fields = [cursor.u32le() for _ in range(8)]
            if not any(fields):
                return result
            result.append(DelayDescriptor(self, descriptor_rva, fields))
        raise PeError("delay-import directory has no end")

    def exports(self):
        """Exported names and '#ordinal' for every exported ordinal."""
        rva, _ = self.directory(DIR_EXPORT)
        if rva == 0:
            return set()
        cursor = self.cursor_at(rva + 16)
        base, function_count, name_count, _, names_rva = (cursor.u32le() for _ in range(5))
        if function_count > MAX_TABLE_ENTRIES or name_count > MAX_TABLE_ENTRIES:
            raise PeError("export directory too large")
        result = {f"#{base + i}" for i in range(function_count)}
        names = self.cursor_at(names_rva) if name_count else None
        for _ in range(name_count):
            result.add(self.ascii_at(names.u32le()))
        return result

    def symbols(self):
        """{name: rva} of the COFF symbols defined in sections (unstripped images)."""
        if self.symbol_table_offset == 0:
            return {}
        strings_offset = self.symbol_table_offset + 18 * self.symbol_count
        cursor = Cursor(self.data, self.symbol_table_offset, strings_offset)
        result = {}
        index = 0
        while index < self.symbol_count:
            raw_name = cursor.take(8)
            value = cursor.u32le()
            section_number = struct.unpack("<h", cursor.take(2))[0]
            cursor.take(3)
            aux_count = cursor.u8()
            cursor.take(18 * aux_count)
            index += 1 + aux_count
            if 0 < section_number <= len(self.sections):
                result[self._symbol_name(raw_name, strings_offset)] = self.sections[section_number - 1].rva + value
        return result

    def _symbol_name(self, raw_name, strings_offset):
        if raw_name[:4] != b"\0\0\0\0":
            return raw_name.rstrip(b"\0").decode("latin-1")
        offset = strings_offset + struct.unpack("<I", raw_name[4:])[0]
        end = self.data.find(b"\0", offset)
        if end < 0:
            raise PeError("symbol name runs past the string table")
        return self.data[offset:end].decode("latin-1")


class DelayDescriptor:
    """One delay-import descriptor (RVA-based, as MinGW's helper expects)."""

    def __init__(self, image, rva, fields):
        self.rva = rva
        self.attributes, name, self.module_handle_rva, self.iat_rva, self.int_rva = fields[:5]
        self.dll = image.ascii_at(name)
        self.functions = image._thunk_names(self.int_rva)

    def slot_rvas(self, image):
        return [self.iat_rva + image.pointer_size * i for i in range(len(self.functions))]
