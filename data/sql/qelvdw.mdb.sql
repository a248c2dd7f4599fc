-- qelvdw.mdb: the enterprise register, each enterprise's pollutants, industry types and squads.
CREATE TABLE "dw" (
  "DanWeiBianHao" TEXT(20) COLLATE NOCASE CHECK (length("DanWeiBianHao") <= 20) NOT NULL UNIQUE,
  "DanWeiQuangCheng" TEXT(100) COLLATE NOCASE CHECK (length("DanWeiQuangCheng") <= 100),
  "KaiHuYingHang" TEXT(100) COLLATE NOCASE CHECK (length("KaiHuYingHang") <= 100),
  "ZhangHao" TEXT(50) COLLATE NOCASE CHECK (length("ZhangHao") <= 50),
  "WeiTuoXieYiHao" TEXT(50) COLLATE NOCASE CHECK (length("WeiTuoXieYiHao") <= 50),
  "LowLever" CURRENCY CHECK (typeof("LowLever") IN ('integer','real','null')) DEFAULT 0,
  "HangYeLeiXing" TEXT(50) COLLATE NOCASE CHECK (length("HangYeLeiXing") <= 50),
  "DanWeiFenQu" TEXT(50) COLLATE NOCASE CHECK (length("DanWeiFenQu") <= 50),
  "BeiZu" TEXT(255) COLLATE NOCASE CHECK (length("BeiZu") <= 255)
);

CREATE TABLE "dwwrw" (
  "ID" INTEGER PRIMARY KEY AUTOINCREMENT,
  "DanWeiBianHao" TEXT(20) COLLATE NOCASE CHECK (length("DanWeiBianHao") <= 20),
  "WuRanWuBianHao" TEXT(20) COLLATE NOCASE CHECK (length("WuRanWuBianHao") <= 20),
  "WuRanWuMingCheng" TEXT(50) COLLATE NOCASE CHECK (length("WuRanWuMingCheng") <= 50),
  "LeiXing" SMALLINT CHECK (typeof("LeiXing") IN ('integer','null') AND "LeiXing" BETWEEN -32768 AND 32767),
  "PaiWuKou" SMALLINT CHECK (typeof("PaiWuKou") IN ('integer','null') AND "PaiWuKou" BETWEEN -32768 AND 32767),
  "FenLei" TEXT(10) COLLATE NOCASE CHECK (length("FenLei") <= 10)
);

CREATE TABLE "HangYeLeiXing" (
  "HangYeLeiXing" TEXT(50) COLLATE NOCASE CHECK (length("HangYeLeiXing") <= 50)
);

CREATE TABLE "DanWeiFenQu" (
  "DanWeiFenQu" TEXT(50) COLLATE NOCASE CHECK (length("DanWeiFenQu") <= 50)
);


-- Each enterprise's assignments are read by its number.
CREATE INDEX "dwwrw_DanWeiBianHao" ON "dwwrw" ("DanWeiBianHao");
