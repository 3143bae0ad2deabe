# The four private fonts the utility loads from its "Font" folder: free faces from Debian
# packages, linked under the file names the program asks for ("name=system file").
set(ZT640_PRIVATE_FONTS
  "Simplified_Chinese.ttf=/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc"
  "Vellum-Regular.otf=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
  "NotoSansThai-Regular.ttf=/usr/share/fonts/truetype/noto/NotoSansThai-Regular.ttf"
  "NotoSansCJKtc-Regular.otf=/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc")
