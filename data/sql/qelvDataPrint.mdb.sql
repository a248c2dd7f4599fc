-- qelvDataPrint.mdb: template of the month fee list's print file.
CREATE TABLE "dw" (
  "DanWeiBianHao" TEXT(20) COLLATE NOCASE CHECK (length("DanWeiBianHao") <= 20),
  "DanWeiMingCheng" TEXT(100) COLLATE NOCASE CHECK (length("DanWeiMingCheng") <= 100)
);

CREATE TABLE "ShuJu" (
  "DanWeiBianHao" TEXT(20) COLLATE NOCASE CHECK (length("DanWeiBianHao") <= 20),
  "WuRanWuBianHao" TEXT(20) COLLATE NOCASE CHECK (length("WuRanWuBianHao") <= 20),
  "WuRanWuMingCheng" TEXT(50) COLLATE NOCASE CHECK (length("WuRanWuMingCheng") <= 50),
  "PaiWuKou" SMALLINT CHECK (typeof("PaiWuKou") IN ('integer','null') AND "PaiWuKou" BETWEEN -32768 AND 32767),
  "LeiXing" SMALLINT CHECK (typeof("LeiXing") IN ('integer','null') AND "LeiXing" BETWEEN -32768 AND 32767),
  "PaiWuShuJu" LONGTEXT COLLATE NOCASE,
  "JinE" CURRENCY CHECK (typeof("JinE") IN ('integer','real','null')),
  "TiGaoJinE" CURRENCY CHECK (typeof("TiGaoJinE") IN ('integer','real','null')),
  "JiaBeiJinE" CURRENCY CHECK (typeof("JiaBeiJinE") IN ('integer','real','null')),
  "HeJi" CURRENCY CHECK (typeof("HeJi") IN ('integer','real','null'))
);


-- Each enterprise's lines are read by its number.
CREATE INDEX "ShuJu_DanWeiBianHao" ON "ShuJu" ("DanWeiBianHao");
