# Run by CPack after it has made each package. The three members of a .deb
# (an ar archive) carry the modes of the files that CPack wrote them from,
# which follow the umask of whoever packs (0664 under umask 002); here they
# become 0644, as dpkg-deb writes them, so that the .deb is the same bytes
# under any umask. perl is there wherever a .deb can be made, as
# dpkg-shlibdeps is written in it.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
# Each member has a 60-byte header, its mode in octal at bytes 40 to 47,
# its size in decimal at bytes 48 to 57, and is padded to an even length.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  execute_process(
    COMMAND perl -e [=[
      my ($magic, $header);
      open(my $f, "+<:raw", $ARGV[0]) or die "$ARGV[0]: $!\n";
      read($f, $magic, 8) == 8 && $magic eq "!<arch>\n" or die "$ARGV[0]: not an ar archive\n";
      while (read($f, $header, 60) == 60) {
        my $at = tell($f) - 60;
        seek($f, $at + 40, 0);
        print $f "100644  ";
        my $size = substr($header, 48, 10);
        seek($f, $at + 60 + $size + $size % 2, 0);
      }
      close($f) or die "$ARGV[0]: $!\n";
    ]=] "${package}"
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
