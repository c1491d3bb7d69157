# talmo_export_everything(target): a Windows DLL that exports every symbol of
# its own objects (for tests and tools), and none of the static run-time's
# (libstdc++, libgcc, winpthread, ... linked in by -static). The archives are
# named one by one: --exclude-libs,ALL would also hide the objects of the
# target itself when the Makefile generator hands them to the linker as an
# archive (objects.a).
function(talmo_export_everything target)
  set(runtime libstdc++.a libsupc++.a libgcc.a libgcc_eh.a libwinpthread.a libpthread.a
      libmingw32.a libmingwex.a libmsvcrt.a libmoldname.a libssp.a)
  list(JOIN runtime ":" runtime)
  target_link_options(${target} PRIVATE -Wl,--export-all-symbols -Wl,--exclude-libs=${runtime})
endfunction()
