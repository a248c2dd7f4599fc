-- qelvtztmp.mdb: template of the month's notice print file qelvtzPrint<year>_<month>.mdb: the notice
-- headers (tzdw), their lines (MX) and the enterprises' discharge data of the month (WuRanWuMingXi).
-- The notice window copies it when the month has no print file; the notice run fills it.
CREATE TABLE "tzdw" (
  "DanWeiBianHao" TEXT(50) COLLATE NOCASE CHECK (length("DanWeiBianHao") <= 50),
  "DanWeiQuangCheng" TEXT(100) COLLATE NOCASE CHECK (length("DanWeiQuangCheng") <= 100),
  "FaLvFaGui" LONGTEXT COLLATE NOCASE,
  "YingJiaoKuang" TEXT(255) COLLATE NOCASE CHECK (length("YingJiaoKuang") <= 255),
  "NianYueQiKuangMingXi" TEXT(100) COLLATE NOCASE CHECK (length("NianYueQiKuangMingXi") <= 100),
  "NianYueJiaoKuangMingXi" TEXT(100) COLLATE NOCASE CHECK (length("NianYueJiaoKuangMingXi") <= 100),
  "JiaoKuangQiXian" LONGTEXT COLLATE NOCASE,
  "KaiHuiYinHang" TEXT(100) COLLATE NOCASE CHECK (length("KaiHuiYinHang") <= 100),
  "ZhangHao" TEXT(50) COLLATE NOCASE CHECK (length("ZhangHao") <= 50),
  "YiYi" LONGTEXT COLLATE NOCASE,
  "DianHua" TEXT(50) COLLATE NOCASE CHECK (length("DianHua") <= 50),
  "ShouKuanDanWei" TEXT(100) COLLATE NOCASE CHECK (length("ShouKuanDanWei") <= 100),
  "TongZhiRiQi" TEXT(50) COLLATE NOCASE CHECK (length("TongZhiRiQi") <= 50),
  "JingBanRen" TEXT(50) COLLATE NOCASE CHECK (length("JingBanRen") <= 50),
  "JiaoDuiRen" TEXT(50) COLLATE NOCASE CHECK (length("JiaoDuiRen") <= 50)
);

CREATE TABLE "MX" (
  "ID" INTEGER CHECK (typeof("ID") IN ('integer','null')),
  "DanWeiBianHao" TEXT(50) COLLATE NOCASE CHECK (length("DanWeiBianHao") <= 50),
  "序号" TEXT(50) COLLATE NOCASE CHECK (length("序号") <= 50),
  "项目" TEXT(255) COLLATE NOCASE CHECK (length("项目") <= 255),
  "金额" TEXT(50) COLLATE NOCASE CHECK (length("金额") <= 50)
);

CREATE TABLE "WuRanWuMingXi" (
  "DanWeiBianHao" TEXT(50) COLLATE NOCASE CHECK (length("DanWeiBianHao") <= 50),
  "PaiWuKou" SMALLINT CHECK (typeof("PaiWuKou") IN ('integer','null') AND "PaiWuKou" BETWEEN -32768 AND 32767),
  "WuRanWuMingCheng" TEXT(100) COLLATE NOCASE CHECK (length("WuRanWuMingCheng") <= 100),
  "WuRanWuShuJu" LONGTEXT COLLATE NOCASE
);

-- Each notice's header, lines and detail sheet are read by the enterprise's number.
CREATE INDEX "tzdw_DanWeiBianHao" ON "tzdw" ("DanWeiBianHao");
CREATE INDEX "MX_DanWeiBianHao" ON "MX" ("DanWeiBianHao");
CREATE INDEX "WuRanWuMingXi_DanWeiBianHao" ON "WuRanWuMingXi" ("DanWeiBianHao");
